// ZoomBlur and FadeQuad: the pass colour, the ping-pong order and the final
// add onto the frame.
#include "effects/zoom_blur.h"

#include "core/globals.h"
#include "effects_fixture.h"
#include "resources/render_to_texture.h"

namespace {

using ZoomBlurTest = EffectsTest;

TEST_F(ZoomBlurTest, FadeColourIsTheTruncatedAlphaByte) {
  FadeQuad quad;
  quad.set(0.6f, 320.0f, -320.0f, 240.0f, -240.0f);
  EXPECT_EQ(quad.color, 153u << 24);
  EXPECT_EQ(quad.right, 320.0f);
  EXPECT_EQ(quad.left, -320.0f);
  EXPECT_EQ(quad.top, 240.0f);
  EXPECT_EQ(quad.bottom, -240.0f);
  quad.set(1.0f, 1, -1, 1, -1);
  EXPECT_EQ(quad.color, 255u << 24);
}

// Which texture each DrawPrimitive of apply reads, in order.
std::vector<std::string> boundAtEachDraw(const std::vector<std::string>& lines) {
  std::vector<std::string> reads;
  std::string stage0 = "null";
  for (const std::string& line : lines) {
    if (line.rfind("SetTexture(0, ", 0) == 0) stage0 = line.substr(14, line.size() - 15);
    if (line.rfind("DrawPrimitive(", 0) == 0) reads.push_back(stage0);
  }
  return reads;
}

TEST_F(ZoomBlurTest, PassesPingPongAndTheFinalDrawAddsTheLastSource) {
  ZoomBlur blur;
  Texture frame;
  frame.createRenderTarget(512);
  auto eight = trace([&] { blur.apply(&frame, 10.8f, 0.6f, 8, 0.0f); });
  std::vector<std::string> reads = boundAtEachDraw(eight);
  // Two copies, eight passes, one final add.
  ASSERT_EQ(reads.size(), 11u);
  std::string a = reads[2], b = reads[3];
  EXPECT_EQ(reads[1], a) << "the second copy reads targetA";
  EXPECT_NE(reads[0], a) << "the first copy reads the frame";
  EXPECT_NE(a, b);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(reads[2 + k], k % 2 == 0 ? a : b) << "pass " << k;
  EXPECT_EQ(reads[10], b) << "after eight passes the final draw adds targetB";

  auto one = trace([&] { blur.apply(&frame, 10.8f, 0.6f, 1, 0.0f); });
  reads = boundAtEachDraw(one);
  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[3], reads[2]) << "with one pass the final draw adds targetA";
  frame.release();
}

TEST_F(ZoomBlurTest, PassStatesUseSourceAlphaOnBothSides) {
  ZoomBlur blur;
  Texture frame;
  frame.createRenderTarget(512);
  auto lines = trace([&] { blur.apply(&frame, 0.2f, 0.6f, 2, 0.5f); });
  int sourceAlphaDest = 0;
  for (const std::string& line : lines) {
    sourceAlphaDest += line == "SetRenderState(D3DRS_DESTBLEND, 5)";
  }
  EXPECT_EQ(sourceAlphaDest, 2) << "once for the passes, once for the final add";
  frame.release();
}

TEST_F(ZoomBlurTest, StillBlurAddsTheReducedFrameBack) {
  ZoomBlur blur;
  Texture& frame = g_renderToTexture.target;
  g_device->SetRenderTarget(0, frame.surface);
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020u, 1.0f, 0);
  blur.apply(&frame, 0.0f, 0.5f, 1, 0.0f);
  UINT w = 0, h = 0;
  std::vector<std::uint32_t> out = d3d9port::readPixels(frame.surface, &w, &h);
  ASSERT_EQ(w, 512u);
  // targetA holds the frame (0x20); the pass writes 0.5 x (0x20 + 0x20)
  // into targetB, and the final add puts targetA back: 0x20 + 0x20 = 0x40.
  std::uint32_t centre = out[256 * 512 + 256];
  EXPECT_NEAR(static_cast<int>(centre & 0xFF), 0x40, 1);
}

}  // namespace
