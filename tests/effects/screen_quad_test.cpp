// ScreenQuad: its state sequences, its texture matrix, and what it draws.
#include "effects/screen_quad.h"

#include <cmath>
#include <cstring>

#include "core/globals.h"
#include "effects_fixture.h"

namespace {

using ScreenQuadTest = EffectsTest;

TEST_F(ScreenQuadTest, SetBlendSetsBlendingAndStagesZeroAndOneAlike) {
  auto lines = trace([] { g_screenQuad.setBlend(5, 6, 2, 2); });
  std::vector<std::string> expected = {
      "SetRenderState(D3DRS_CULLMODE, 1)", "SetRenderState(D3DRS_LIGHTING, 1)",
      "SetRenderState(D3DRS_ZENABLE, 0)",  "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
      "SetRenderState(D3DRS_SRCBLEND, 5)", "SetRenderState(D3DRS_DESTBLEND, 6)"};
  for (int stage = 0; stage < 2; ++stage) {
    std::string s = std::to_string(stage);
    for (const char* state :
         {"D3DTSS_TEXCOORDINDEX, 0", "D3DTSS_COLORARG1, 2", "D3DTSS_COLORARG2, 2",
          "D3DTSS_COLOROP, 2", "D3DTSS_ALPHAARG1, 2", "D3DTSS_ALPHAARG2, 2", "D3DTSS_ALPHAOP, 2"}) {
      expected.push_back("SetTextureStageState(" + s + ", " + state + ")");
    }
  }
  expected.push_back("SetTextureStageState(2, D3DTSS_COLOROP, 1)");
  EXPECT_EQ(lines, expected);
}

TEST_F(ScreenQuadTest, DrawBindsUsesTheMatrixAndResetsIt) {
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; }));
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  EXPECT_FLOAT_EQ(g_screenQuad.textureMatrix._32, -0.2f) << "the shift is applied twice";
  auto lines = trace([&] { g_screenQuad.draw(&picture, true); });
  ASSERT_GE(lines.size(), 14u);
  EXPECT_EQ(lines[0].rfind("SetTexture(1, tex#", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("SetTexture(0, tex#", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("SetTransform(D3DTS_VIEW, ", 0), 0u);
  EXPECT_EQ(lines[3].rfind("SetTransform(D3DTS_PROJECTION, ", 0), 0u);
  EXPECT_EQ(lines[4].rfind("SetTransform(D3DTS_WORLD, ", 0), 0u);
  EXPECT_EQ(lines[5], "SetSamplerState(1, D3DSAMP_ADDRESSU, 3)");
  EXPECT_EQ(lines[6], "SetSamplerState(1, D3DSAMP_ADDRESSV, 3)");
  EXPECT_EQ(lines[7], "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0)");
  EXPECT_EQ(lines[8], "SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, 2)");
  EXPECT_EQ(lines[9], "SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0 -0.2 1 0 0 0 0 1])");
  EXPECT_EQ(lines[10], "SetFVF(0x102)");
  EXPECT_EQ(lines[12], "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)");
  EXPECT_EQ(lines[13], "SetTexture(1, null)");
  EXPECT_EQ(lines[14], "SetTexture(0, null)");
  D3DXMATRIX identity = identityMatrix();
  EXPECT_EQ(std::memcmp(&g_screenQuad.textureMatrix, &identity, sizeof identity), 0);
}

TEST_F(ScreenQuadTest, TransformIsShiftScaleTurnShift) {
  g_screenQuad.setTransform(0.5f, 2.0f, 3.0f, 0.25f, -0.5f);
  const D3DXMATRIX& m = g_screenQuad.textureMatrix;
  float u = 0.3f, v = 0.7f;
  float px = 2.0f * (u + 0.25f), py = 3.0f * (v - 0.5f);
  EXPECT_NEAR(u * m._11 + v * m._21 + m._31, px * std::cos(0.5f) - py * std::sin(0.5f) + 0.25f,
              1e-5);
  EXPECT_NEAR(u * m._12 + v * m._22 + m._32, px * std::sin(0.5f) + py * std::cos(0.5f) - 0.5f,
              1e-5);
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
}

// Pixels: a 16 x 16 picture drawn over a 16 x 16 target.
class ScreenQuadPixels : public EffectsTest {
 protected:
  static DWORD pattern(UINT x, UINT y) { return 0xFF000000u | (x * 16) << 16 | (y * 16) << 8; }
};

TEST_F(ScreenQuadPixels, PlainDrawIsOneToOneAndShiftMovesByTwiceTheOffset) {
  Texture picture;
  adopt(picture, makeTexture(16, 16, pattern));
  Texture target;
  renderInto(target, 16);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> plain = pixels(target);
  // Pixel centres sample at u = i/16: the half-texel shift of this device
  // family puts every sample on a texel corner, so bilinear filtering mixes
  // four texels; with point sampling it would be exact. Either way the
  // picture is where it was: the red ramp grows to the right.
  EXPECT_LT(plain[16 * 8 + 2] >> 16 & 0xFF, plain[16 * 8 + 12] >> 16 & 0xFF);

  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.125f);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> shifted = pixels(target);
  // v' = v - 0.25: row y shows what row y - 4 showed (wrapping).
  for (int y = 4; y < 16; ++y) {
    EXPECT_EQ(shifted[16 * y + 5], plain[16 * (y - 4) + 5]) << "row " << y;
  }
  EXPECT_EQ(shifted[16 * 1 + 5], plain[16 * 13 + 5]) << "wrapped";
  target.release();
  picture.release();
}

TEST_F(ScreenQuadPixels, HalfTurnAboutTheCentreMirrorsThePicture) {
  Texture picture;
  adopt(picture, makeTexture(16, 16, pattern));
  // A 12-pixel target keeps the samples (u = i/12) off the texel edges.
  Texture target;
  renderInto(target, 12);
  g_device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  g_device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, -0.5f, -0.5f);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> still = pixels(target);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.setTransform(3.14159265f, 1.0f, 1.0f, -0.5f, -0.5f);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> turned = pixels(target);
  g_device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  // Pixel (5, 3) samples (5/12, 3/12): texel (6, 4). Angle 0 with offsets
  // -0.5 is a whole-unit shift, invisible under wrapping.
  EXPECT_EQ(still[12 * 3 + 5], pattern(6, 4));
  // Turned by pi about the centre: (u, v) becomes (-u, -v), texel (9, 12).
  EXPECT_EQ(turned[12 * 3 + 5], pattern(9, 12));
  target.release();
  picture.release();
}

TEST_F(ScreenQuadPixels, OverlayLeavesMidGreyAndBlackensWithBlack) {
  Texture grey, black;
  adopt(grey, makeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; }));
  adopt(black, makeTexture(4, 4, [](UINT, UINT) { return 0xFF000000u; }));
  Texture target;
  renderInto(target, 8, 0xFF336699u);
  g_screenQuad.drawOverlay(&grey);
  std::vector<std::uint32_t> after = pixels(target);
  // 2 x 0x80/255 is a hair above one: each channel may rise by one step.
  std::uint32_t p = after[8 * 4 + 4];
  EXPECT_NEAR(static_cast<int>(p >> 16 & 0xFF), 0x33, 1);
  EXPECT_NEAR(static_cast<int>(p >> 8 & 0xFF), 0x66, 1);
  EXPECT_NEAR(static_cast<int>(p & 0xFF), 0x99, 1);
  g_screenQuad.drawOverlay(&black);
  EXPECT_EQ(pixels(target)[8 * 4 + 4] & 0x00FFFFFFu, 0u);
  target.release();
  grey.release();
  black.release();
}

TEST_F(ScreenQuadPixels, OneZeroReplacesAlphaToo) {
  Texture half;
  adopt(half, makeTexture(4, 4, [](UINT, UINT) { return 0x40FF0000u; }));
  Texture target;
  renderInto(target, 8, 0xFF00FF00u);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.draw(&half, true);
  EXPECT_EQ(pixels(target)[8 * 3 + 3], 0x40FF0000u);
  target.release();
  half.release();
}

}  // namespace
