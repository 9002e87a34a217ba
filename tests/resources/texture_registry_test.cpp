// The registry: one entry per name, the exit listing, and the releases in
// reverse order of registration.
#include "resources/texture_registry.h"

#include "device_fixture.h"
#include "png_writer.h"

namespace {

class Registry : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    writeTexture("p.png", testpng::encode(testpng::solid(2, 2, PNG_COLOR_TYPE_RGB, {1, 2, 3})));
  }
};

const std::string kHeader = "\nbitchybitchyfizzle on tha doggywizzle, size = ";

TEST_F(Registry, ListingForNoneOneAndThree) {
  testing::internal::CaptureStdout();
  delete new TextureRegistry();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "bitching the bitch-init\n" + kHeader + "0\n");

  auto* one = new TextureRegistry();
  one->loadTexture("p.png");
  testing::internal::CaptureStdout();
  delete one;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), kHeader + "1\n\tp.png\n");

  auto* three = new TextureRegistry();
  three->loadTexture("p.png");
  three->createRenderTarget("q", 64);
  three->loadTexture("sub/r.png");  // missing: still an entry
  testing::internal::CaptureStdout();
  delete three;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), kHeader + "3\n\tsub/r.png\n\tq\n\tp.png\n");
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore);
}

TEST_F(Registry, ReleasesInReverseOrderOfRegistration) {
  auto* registry = new TextureRegistry();
  d3d9port::setTraceEnabled(true);
  registry->loadTexture("p.png");
  const std::string p = lastResult("CreateTexture(");
  registry->createRenderTarget("q", 32);
  const std::string q = lastResult("CreateTexture(");
  registry->createRenderTarget("r", 16);
  const std::string r = lastResult("CreateTexture(");
  d3d9port::clearTrace();
  testing::internal::CaptureStdout();
  delete registry;
  testing::internal::GetCapturedStdout();
  const auto lines = trace();
  // A texture's count stays above 0 until its level-0 surface goes as well.
  const int rAt = indexOf(lines, "Release(" + r + ") -> 1");
  const int qAt = indexOf(lines, "Release(" + q + ") -> 1");
  const int pAt = indexOf(lines, "Release(" + p + ") -> 1");
  ASSERT_GE(rAt, 0);
  EXPECT_LT(rAt, qAt);
  EXPECT_LT(qAt, pAt);
  EXPECT_EQ(lines.size(), 6u) << "texture and surface of each, nothing else";
}

TEST_F(Registry, NamesAreRegisteredOnceAndExactly) {
  testing::internal::CaptureStdout();
  auto* registry = new TextureRegistry();
  d3d9port::setTraceEnabled(true);
  Texture* first = registry->loadTexture("p.png");
  std::filesystem::remove(scratch / "data/textures/p.png");
  EXPECT_EQ(registry->loadTexture("p.png"), first) << "not read again";
  EXPECT_NE(first->texture, nullptr);

  Texture* target = registry->createRenderTarget("target_a", 256);
  EXPECT_EQ(registry->createRenderTarget("target_a", 128), target);
  EXPECT_EQ(registry->loadTexture("target_a"), target) << "no file is read for it";
  D3DSURFACE_DESC desc{};
  target->surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 256u);

  // Case matters, and a name differing only by case is a second entry.
  Texture* upper = registry->loadTexture("P.png");
  EXPECT_NE(upper, first);
  EXPECT_EQ(upper->texture, nullptr);
  int creations = 0;
  for (const auto& line : trace()) creations += line.rfind("CreateTexture(", 0) == 0;
  EXPECT_EQ(creations, 2);
  delete registry;
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "bitching the bitch-init\nLoading Texture, data/textures/P.png\n" + kHeader +
                "3\n\tP.png\n\ttarget_a\n\tp.png\n");
}

}  // namespace
