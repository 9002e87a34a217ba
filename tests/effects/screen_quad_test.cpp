// ScreenQuad: its state sequences, its texture matrix, and what it draws.
#include "effects/screen_quad.h"

#include <cmath>
#include <cstring>
#include <map>

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

const char* const kIdentity = "[1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]";

TEST_F(ScreenQuadTest, DrawBindsBothStagesSamplesThroughTheMatrixAndResetsIt) {
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; }));
  const std::map<std::string, std::string> names = {{tagOf(picture), "picture"},
                                                    {tagOf(g_screenQuad.quad), "quad"}};
  const std::string identity = kIdentity;
  for (bool clamp : {true, false}) {
    g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
    auto lines = named(trace([&] { g_screenQuad.draw(&picture, clamp); }), names);
    const std::string address = clamp ? "3)" : "1)";
    std::vector<std::string> expected = {
        "SetTexture(1, picture)",
        "SetTexture(0, picture)",
        "SetTransform(D3DTS_VIEW, " + identity + ")",
        "SetTransform(D3DTS_PROJECTION, " + identity + ")",
        "SetTransform(D3DTS_WORLD, " + identity + ")",
        "SetSamplerState(1, D3DSAMP_ADDRESSU, " + address,
        "SetSamplerState(1, D3DSAMP_ADDRESSV, " + address,
        "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0)",
        "SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, 2)",
        // The shift goes in twice: v moves by 0.2, not 0.1.
        "SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0 -0.2 1 0 0 0 0 1])",
        "SetFVF(0x102)",
        "SetStreamSource(0, quad, 0, 20)",
        "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)",
        "SetTexture(1, null)",
        "SetTexture(0, null)",
    };
    EXPECT_EQ(lines, expected) << "clamp " << clamp;
    D3DXMATRIX unit = identityMatrix();
    EXPECT_EQ(std::memcmp(&g_screenQuad.textureMatrix, &unit, sizeof unit), 0);
  }
  picture.release();
}

TEST_F(ScreenQuadTest, OverlayMultipliesThroughStageZeroAndLeavesTheMatrix) {
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFF808080u; }));
  const std::map<std::string, std::string> names = {{tagOf(picture), "picture"},
                                                    {tagOf(g_screenQuad.quad), "quad"}};
  const std::string identity = kIdentity;
  g_screenQuad.setTransform(0.0f, 2.0f, 2.0f, 0.0f, 0.0f);
  auto lines = named(trace([&] { g_screenQuad.drawOverlay(&picture); }), names);
  std::vector<std::string> expected = {
      "SetTexture(0, picture)",
      "SetRenderState(D3DRS_CULLMODE, 1)",
      "SetRenderState(D3DRS_LIGHTING, 1)",
      "SetRenderState(D3DRS_ZENABLE, 0)",
      "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
      "SetRenderState(D3DRS_SRCBLEND, 9)",
      "SetRenderState(D3DRS_DESTBLEND, 3)",
      "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
      "SetTextureStageState(0, D3DTSS_COLORARG1, 2)",
      "SetTextureStageState(0, D3DTSS_COLORARG2, 2)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG1, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG2, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAOP, 2)",
      "SetTextureStageState(1, D3DTSS_COLOROP, 1)",
      "SetTransform(D3DTS_WORLD, " + identity + ")",
      "SetTransform(D3DTS_VIEW, " + identity + ")",
      "SetTransform(D3DTS_PROJECTION, " + identity + ")",
      "SetFVF(0x102)",
      "SetStreamSource(0, quad, 0, 20)",
      "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)",
      "SetTexture(0, null)",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(g_screenQuad.textureMatrix._11, 2.0f) << "the overlay neither uses nor resets it";
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
  picture.release();
}

TEST_F(ScreenQuadTest, WithoutItsBufferNothingIsWrittenOrDrawn) {
  d3d9port::Faults faults;
  faults.createVertexBufferFailsAt = 1;
  d3d9port::setFaults(faults);
  ScreenQuad orphan;
  d3d9port::setFaults(d3d9port::Faults{});
  EXPECT_EQ(orphan.quad, nullptr);
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
  orphan.setTransform(1.0f, 2.0f, 2.0f, 0.5f, 0.5f);
  auto lines = trace([&] {
    orphan.draw(&picture, false);
    orphan.drawOverlay(&picture);
    orphan.draw(nullptr, false);
    orphan.drawOverlay(nullptr);
  });
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("Draw"), std::string::npos) << line;
    EXPECT_EQ(line.find("Lock"), std::string::npos) << line;
  }
  D3DXMATRIX unit = identityMatrix();
  EXPECT_EQ(std::memcmp(&orphan.textureMatrix, &unit, sizeof unit), 0);
  picture.release();
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

int red(std::uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); }
int green(std::uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); }

TEST_F(ScreenQuadPixels, DrawWithoutTransformIsOneToOne) {
  Texture picture;
  adopt(picture, makeTexture(16, 16, pattern));
  Texture target;
  renderInto(target, 16);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> out = pixels(target);
  // Pixel i samples u = i/16, the corner between texels i - 1 and i, so
  // bilinear filtering gives their mean: 16 i - 8 on the ramps.
  for (int y = 1; y < 16; ++y) {
    for (int x = 1; x < 16; ++x) {
      ASSERT_NEAR(red(out[16 * y + x]), 16 * x - 8, 1) << x << "," << y;
      ASSERT_NEAR(green(out[16 * y + x]), 16 * y - 8, 1) << x << "," << y;
    }
  }
  target.release();
  picture.release();
}

TEST_F(ScreenQuadPixels, ShiftOfMinusOneTenthMovesByTwoTenthsOfTheHeight) {
  Texture picture;
  adopt(picture, makeTexture(16, 16, pattern));
  Texture target;
  renderInto(target, 20);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> plain = pixels(target);
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  g_screenQuad.draw(&picture, false);
  std::vector<std::uint32_t> shifted = pixels(target);
  // Row y now shows what row y - 4 showed (0.2 x 20), wrapping at the top.
  for (int y = 0; y < 20; ++y) {
    for (int x : {3, 11}) {
      std::uint32_t want = plain[20 * ((y + 16) % 20) + x];
      EXPECT_NEAR(green(shifted[20 * y + x]), green(want), 1) << "row " << y;
      EXPECT_NEAR(red(shifted[20 * y + x]), red(want), 1) << "row " << y;
    }
  }
  target.release();
  picture.release();
}

TEST_F(ScreenQuadPixels, TurnWithOffsetsOfMinusOneHalfIsAboutTheCentre) {
  Texture picture;
  adopt(picture, makeTexture(16, 16, pattern));
  Texture target;
  renderInto(target, 12);
  g_device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  g_device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  for (float t : {0.0f, 0.7f, 3.14159265f, 4.0f}) {
    g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
    g_screenQuad.setTransform(t, 1.0f, 1.0f, -0.5f, -0.5f);
    g_screenQuad.draw(&picture, false);
    std::vector<std::uint32_t> out = pixels(target);
    int checked = 0;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        // (u, v) turned by t about (0.5, 0.5), then wrapped onto the texels.
        double u = x / 12.0 - 0.5, v = y / 12.0 - 0.5;
        double tu = (u * std::cos(t) - v * std::sin(t) + 0.5) * 16.0;
        double tv = (u * std::sin(t) + v * std::cos(t) + 0.5) * 16.0;
        tu -= 16.0 * std::floor(tu / 16.0);
        tv -= 16.0 * std::floor(tv / 16.0);
        auto nearEdge = [](double c) { return std::fabs(c - std::round(c)) < 0.02; };
        if (nearEdge(tu) || nearEdge(tv)) continue;
        ++checked;
        EXPECT_EQ(out[12 * y + x], pattern(static_cast<UINT>(tu) % 16, static_cast<UINT>(tv) % 16))
            << "t " << t << " pixel " << x << "," << y;
      }
    }
    EXPECT_GE(checked, 60) << "t " << t;
  }
  g_device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
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
