// Pictures prepared on the prefetch's thread load into the same textures, with
// the same device calls and the same failure lines, as pictures loaded with
// no prefetch, whatever order they are asked for in.
#include "math/picture_prefetch.h"

#include <d3d9_port.h>

#include <cctype>
#include <chrono>
#include <random>
#include <thread>

#include "device_fixture.h"
#include "png_writer.h"
#include "resources/texture.h"

namespace {

struct Loaded {
  std::string printed;
  std::vector<std::string> calls;  // the device trace, object tags left out
  std::vector<std::vector<std::uint8_t>> levels;
};

// Device calls with the object numbers (tex#12) cut out: they differ
// between two loads of the same file, the calls must not.
std::vector<std::string> callsOnly(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& line : lines) {
    std::string call;
    for (std::size_t i = 0; i < line.size(); ++i) {
      call += line[i];
      if (line[i] != '#') continue;
      while (i + 1 < line.size() && std::isdigit(static_cast<unsigned char>(line[i + 1]))) ++i;
    }
    out.push_back(call);
  }
  return out;
}

std::vector<std::uint8_t> noise(std::uint32_t w, std::uint32_t h, int colorType, unsigned seed) {
  testpng::PngSpec spec = testpng::solid(w, h, colorType, {0, 0, 0, 0});
  spec.samples.resize(std::size_t{w} * h * (colorType == PNG_COLOR_TYPE_RGBA ? 4 : 3));
  std::mt19937 rng(seed);
  for (auto& s : spec.samples) s = static_cast<std::uint16_t>(rng() % 256);
  return testpng::encode(spec);
}

class PicturePrefetchTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    writeTexture("wide.png", noise(640, 480, PNG_COLOR_TYPE_RGBA, 1));
    writeTexture("odd.png", noise(300, 200, PNG_COLOR_TYPE_RGB, 2));
    writeTexture("sub/grey.png",
                 testpng::encode(testpng::solid(64, 48, PNG_COLOR_TYPE_GRAY, {77})));
    writeTexture("empty.png", {});
  }

  Loaded load(const std::string& name) {
    Loaded out;
    d3d9port::clearTrace();
    d3d9port::setTraceEnabled(true);
    Texture texture;
    testing::internal::CaptureStdout();
    texture.loadFromFile(name);
    out.printed = testing::internal::GetCapturedStdout();
    d3d9port::setTraceEnabled(false);
    out.calls = callsOnly(trace());
    if (texture.texture != nullptr) {
      for (UINT i = 0; i < texture.texture->GetLevelCount(); ++i) {
        D3DSURFACE_DESC desc{};
        texture.texture->GetLevelDesc(i, &desc);
        D3DLOCKED_RECT locked{};
        texture.texture->LockRect(i, &locked, nullptr, D3DLOCK_READONLY);
        const auto* bits = static_cast<const std::uint8_t*>(locked.pBits);
        out.levels.emplace_back(bits, bits + std::size_t(locked.Pitch) * desc.Height);
        texture.texture->UnlockRect(i);
      }
    }
    return out;
  }

  void expectSame(const Loaded& prefetched, const Loaded& direct, const std::string& name) {
    EXPECT_EQ(prefetched.printed, direct.printed) << name;
    EXPECT_EQ(prefetched.calls, direct.calls) << name;
    EXPECT_TRUE(prefetched.levels == direct.levels) << name << ": texels differ";
  }

  const std::vector<std::string> names = {"wide.png", "odd.png", "sub/grey.png", "empty.png",
                                          "missing.png"};
};

TEST_F(PicturePrefetchTest, TakenInAnyOrderTheyLoadAsWithoutIt) {
  std::vector<Loaded> direct;
  for (const std::string& name : names) direct.push_back(load(name));
  ASSERT_FALSE(direct[0].levels.empty());
  EXPECT_EQ(direct[3].printed, "Loading Texture, data/textures/empty.png\n");
  EXPECT_EQ(direct[4].printed, "Loading Texture, data/textures/missing.png\n");

  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(Texture::filePath(name));
  PicturePrefetch prefetch(paths);
  EXPECT_EQ(PicturePrefetch::active(), &prefetch);
  for (std::size_t i : {4u, 1u, 0u, 3u, 2u}) expectSame(load(names[i]), direct[i], names[i]);
  EXPECT_EQ(prefetch.untaken(), 0u);
}

TEST_F(PicturePrefetchTest, UnlistedAndRepeatedFilesAreReadAgain) {
  PicturePrefetch prefetch({Texture::filePath("odd.png")});
  const Loaded first = load("odd.png");
  EXPECT_EQ(prefetch.untaken(), 0u);
  // The file changes after the prefetch took it: a second load reads it anew.
  writeTexture("odd.png", noise(300, 200, PNG_COLOR_TYPE_RGB, 9));
  const Loaded again = load("odd.png");
  EXPECT_FALSE(again.levels == first.levels) << "the second load used the old result";
  EXPECT_FALSE(load("wide.png").levels.empty());
  EXPECT_FALSE(prefetch.take(Texture::filePath("wide.png")).has_value());
}

TEST_F(PicturePrefetchTest, EndsWithoutWaitingForResultsNobodyTook) {
  // Preparing all of them takes many seconds; ending waits for one at most.
  std::vector<std::string> paths(1000, Texture::filePath("wide.png"));
  const auto started = std::chrono::steady_clock::now();
  {
    PicturePrefetch prefetch(paths);
    EXPECT_GT(prefetch.untaken(), 900u);
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took.count(), 2.0) << "a stall guard: the destructor waited for the whole list";
  EXPECT_EQ(PicturePrefetch::active(), nullptr);
  // With none alive the loader reads files itself.
  EXPECT_FALSE(load("wide.png").levels.empty());
}

TEST_F(PicturePrefetchTest, HeldBackResultsAreStillTakenLastFirst) {
  // Six pictures of 22 MiB each: the worker stops ahead of the budget, so the
  // later ones are prepared by the asking thread, and none is waited for in
  // vain.
  writeTexture("big.png",
               testpng::encode(testpng::solid(2048, 2048, PNG_COLOR_TYPE_RGBA, {10, 20, 30, 255})));
  std::vector<std::string> paths;
  std::vector<std::string> copies;
  for (int i = 0; i < 6; ++i) {
    copies.push_back("big" + std::to_string(i) + ".png");
    std::filesystem::copy_file(scratch / "data/textures/big.png",
                               scratch / "data/textures" / copies.back());
    paths.push_back(Texture::filePath(copies.back()));
  }
  const Loaded direct = load("big.png");
  PicturePrefetch prefetch(paths);
  for (auto name = copies.rbegin(); name != copies.rend(); ++name) {
    const Loaded prefetched = load(*name);
    EXPECT_TRUE(prefetched.levels == direct.levels) << *name;
  }
  EXPECT_EQ(prefetch.untaken(), 0u);
}

TEST_F(PicturePrefetchTest, TheAskingThreadPreparesLaterFilesWhileTheWorkerIsBusy) {
  // The first file takes the worker a long time; asked for it at once, the
  // asking thread prepares the small ones from the end of the list meanwhile
  // instead of waiting, and every result is still the file's own.
  writeTexture("big.png", noise(2048, 2048, PNG_COLOR_TYPE_RGBA, 3));
  const std::vector<std::string> later = {"wide.png", "odd.png", "sub/grey.png", "empty.png"};
  std::vector<Loaded> direct;
  for (const std::string& name : later) direct.push_back(load(name));
  const Loaded bigDirect = load("big.png");
  std::vector<std::string> paths = {Texture::filePath("big.png")};
  for (const std::string& name : later) paths.push_back(Texture::filePath(name));
  PicturePrefetch prefetch(paths);
  // The worker starts on the first file at once; it is asked for once the
  // worker is at it (the wait is bounded only against a worker that never
  // starts).
  for (int i = 0; i < 5000 && prefetch.beingPrepared() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  expectSame(load("big.png"), bigDirect, "big.png");
  EXPECT_GE(prefetch.sparesPrepared(), 1u);
  for (std::size_t i = 0; i < later.size(); ++i) expectSame(load(later[i]), direct[i], later[i]);
  EXPECT_EQ(prefetch.untaken(), 0u);
}

}  // namespace
