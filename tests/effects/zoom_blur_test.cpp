// ZoomBlur and FadeQuad: the pass colour, the ping-pong order and the final
// add onto the frame.
#include "effects/zoom_blur.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "core/globals.h"
#include "effects/screen_quad.h"
#include "effects_fixture.h"
#include "math/d3dx_math.h"
#include "resources/render_to_texture.h"
#include "resources/texture_registry.h"

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
  // Outside [0, 1] the byte is held at its ends rather than spilling over.
  quad.set(1.7f, 1, -1, 1, -1);
  EXPECT_EQ(quad.color, 255u << 24);
  quad.set(-1.0f, 1, -1, 1, -1);
  EXPECT_EQ(quad.color, 0u);
}

TEST_F(ZoomBlurTest, ConstructorRegistersItsFourTargets) {
  ZoomBlur blur;
  const std::pair<Texture*, UINT> targets[] = {
      {blur.targetA, 256}, {blur.targetB, 256}, {blur.targetC, 128}, {blur.targetD, 128}};
  for (const auto& [target, size] : targets) {
    ASSERT_NE(target, nullptr);
    ASSERT_NE(target->texture, nullptr);
    D3DSURFACE_DESC desc{};
    target->texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, size);
    EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);
  }
  EXPECT_EQ(g_textureRegistry.createRenderTarget("target_a", 64), blur.targetA);
  EXPECT_EQ(g_textureRegistry.createRenderTarget("target_d", 64), blur.targetD);
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

// The lines of ScreenQuad::setBlend and ScreenQuad::draw for one copy.
void expectCopy(std::vector<std::string>& out, const std::string& source,
                const std::string& destination) {
  const std::string identity = "[1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]";
  out.push_back("SetRenderTarget(0, " + destination + ")");
  for (const char* state : {"CULLMODE, 1", "LIGHTING, 1", "ZENABLE, 0", "ALPHABLENDENABLE, 1",
                            "SRCBLEND, 2", "DESTBLEND, 1"}) {
    out.push_back(std::string("SetRenderState(D3DRS_") + state + ")");
  }
  for (const char* stage : {"0", "1"}) {
    for (const char* state : {"TEXCOORDINDEX, 0", "COLORARG1, 2", "COLORARG2, 2", "COLOROP, 2",
                              "ALPHAARG1, 2", "ALPHAARG2, 2", "ALPHAOP, 2"}) {
      out.push_back(std::string("SetTextureStageState(") + stage + ", D3DTSS_" + state + ")");
    }
  }
  out.insert(out.end(),
             {
                 "SetTextureStageState(2, D3DTSS_COLOROP, 1)",
                 "SetTexture(1, " + source + ")",
                 "SetTexture(0, " + source + ")",
                 "SetTransform(D3DTS_VIEW, " + identity + ")",
                 "SetTransform(D3DTS_PROJECTION, " + identity + ")",
                 "SetTransform(D3DTS_WORLD, " + identity + ")",
                 "SetSamplerState(1, D3DSAMP_ADDRESSU, 3)",
                 "SetSamplerState(1, D3DSAMP_ADDRESSV, 3)",
                 "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0)",
                 "SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, 2)",
                 "SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0.002 0.002 1 0 0 0 0 1])",
                 "SetFVF(0x102)",
                 "SetStreamSource(0, screenQuad, 0, 20)",
                 "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)",
                 "SetTexture(1, null)",
                 "SetTexture(0, null)",
             });
}

// One FadeQuad draw; a pass first switches target and source.
void expectFadeDraw(std::vector<std::string>& out, const std::string& target = "",
                    const std::string& source = "") {
  out.push_back("SetTransform(D3DTS_WORLD, P)");
  if (!target.empty()) {
    out.push_back("SetRenderTarget(0, " + target + ")");
    out.push_back("SetTexture(0, " + source + ")");
  }
  out.insert(out.end(),
             {"Lock(fade, 0, 96, 0x0)", "Unlock(fade)", "SetFVF(0x142)",
              "SetStreamSource(0, fade, 0, 24)", "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)"});
}

// The numbers of a traced matrix, "[a b c ...]".
std::vector<float> numbers(const std::string& text) {
  std::istringstream in(text.substr(1, text.size() - 2));
  std::vector<float> out;
  for (float f; in >> f;) out.push_back(f);
  return out;
}

std::vector<float> elements(const D3DXMATRIX& m) {
  return std::vector<float>(&m.m[0][0], &m.m[0][0] + 16);
}

TEST_F(ZoomBlurTest, ApplyCopiesPassesAndAddsInTheStatedOrder) {
  ZoomBlur blur;
  Texture frame;
  frame.createRenderTarget(512);
  const std::map<std::string, std::string> names = {{tagOf(frame), "frame"},
                                                    {surfaceTagOf(frame), "frameSurface"},
                                                    {tagOf(*blur.targetA), "targetA"},
                                                    {surfaceTagOf(*blur.targetA), "surfaceA"},
                                                    {tagOf(*blur.targetB), "targetB"},
                                                    {surfaceTagOf(*blur.targetB), "surfaceB"},
                                                    {tagOf(blur.vertexBuffer), "fade"},
                                                    {tagOf(g_screenQuad.quad), "screenQuad"}};
  const float shrink = 10.8f, angle = 0.25f;
  auto traced = named(trace([&] { blur.apply(&frame, shrink, 0.6f, 2, angle); }), names);
  // The surface reference dance of setTarget is render_to_texture's own.
  std::vector<std::string> lines;
  std::vector<std::string> worlds;
  for (std::string& line : traced) {
    if (line.rfind("Release(", 0) == 0 || line.rfind("GetSurfaceLevel(", 0) == 0) continue;
    if (line.rfind("SetTransform(D3DTS_WORLD, [", 0) == 0 &&
        line != "SetTransform(D3DTS_WORLD, [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1])") {
      worlds.push_back(line.substr(26, line.size() - 27));
      line = "SetTransform(D3DTS_WORLD, P)";
    }
    lines.push_back(line);
  }

  std::vector<std::string> expected;
  expectCopy(expected, "frame", "surfaceA");
  expectCopy(expected, "targetA", "surfaceB");
  const std::vector<std::string> passStates = {
      "SetRenderState(D3DRS_LIGHTING, 0)",
      "SetRenderState(D3DRS_CULLMODE, 1)",
      "SetRenderState(D3DRS_ZENABLE, 0)",
      "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(0, D3DTSS_COLORARG1, 2)",
      "SetTextureStageState(0, D3DTSS_COLORARG2, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAOP, 2)",
      "SetTextureStageState(1, D3DTSS_COLOROP, 1)",
      "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
      "SetRenderState(D3DRS_SRCBLEND, 5)",
      "SetRenderState(D3DRS_DESTBLEND, 5)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG1, 0)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG2, 0)",
  };
  expected.insert(expected.end(), passStates.begin(), passStates.end());
  expectFadeDraw(expected, "surfaceB", "targetA");
  expectFadeDraw(expected, "surfaceA", "targetB");
  expected.push_back("SetRenderTarget(0, frameSurface)");
  // The final add repeats the pass states from stage 0's colour operation on.
  expected.insert(expected.end(), passStates.begin() + 4, passStates.end());
  expectFadeDraw(expected);
  EXPECT_EQ(lines, expected);

  // Each pass takes the same amount off both sides and turns by the angle;
  // the final add covers the frame exactly.
  ASSERT_EQ(worlds.size(), 3u);
  D3DXMATRIX rotation;
  D3DXMatrixRotationZ(&rotation, angle);
  for (int k = 0; k < 3; ++k) {
    D3DXMATRIX want;
    if (k < 2) {
      D3DXMatrixOrthoLH(&want, 640.0f - (k + 1) * shrink, 480.0f - (k + 1) * shrink, 10.0f, -10.0f);
      D3DXMatrixMultiply(&want, &want, &rotation);
    } else {
      D3DXMatrixOrthoLH(&want, 640.0f, 480.0f, 10.0f, -10.0f);
    }
    std::vector<float> got = numbers(worlds[static_cast<std::size_t>(k)]);
    std::vector<float> wanted = elements(want);
    ASSERT_EQ(got.size(), 16u);
    for (std::size_t e = 0; e < 16; ++e) {
      EXPECT_NEAR(got[e], wanted[e], 1e-5 * std::max(1.0f, std::fabs(wanted[e])))
          << "matrix " << k << " element " << e;
    }
  }
  EXPECT_EQ(blur.color, 255u << 24) << "the fade quad keeps the final add's alpha";
  frame.release();
}

// The frame of render_to_texture, current and cleared.
Texture& clearedFrame(D3DCOLOR colour) {
  Texture& frame = g_renderToTexture.target;
  g_device->SetRenderTarget(0, frame.surface);
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
  return frame;
}

int blueAt(Texture& frame, int x, int y) {
  UINT w = 0, h = 0;
  std::vector<std::uint32_t> out = d3d9port::readPixels(frame.surface, &w, &h);
  return static_cast<int>(out.at(static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) &
                          0xFF);
}

TEST_F(ZoomBlurTest, FinalAddIsTargetAAfterOnePassAndTargetBAfterEight) {
  ZoomBlur blur;
  // A flat frame keeps every sample exact: each pass stores
  // round(0.6 x (source + target)), the two targets in turn.
  for (int passes : {1, 8}) {
    Texture& frame = clearedFrame(0xFF282828u);
    blur.apply(&frame, 10.8f, 0.6f, passes, 0.0f);
    double target[2] = {40, 40};  // A, B after the two copies
    for (int k = 0; k < passes; ++k) {
      const int into = k % 2 == 0 ? 1 : 0;
      target[into] = std::round(0.6 * (target[1 - into] + target[into]));
    }
    // The last pass read A after an even count of passes before it, else B.
    const double added = target[(passes - 1) % 2 == 0 ? 0 : 1];
    EXPECT_NEAR(blueAt(frame, 256, 256), 40 + added, 3) << passes << " passes";
  }
  // The two answers differ enough for the test to tell them apart.
  EXPECT_GT(std::fabs((40 + 98) - (40 + 111)), 6);
}

TEST_F(ZoomBlurTest, ShrinkZeroLeavesThePictureWhereItWasAndShrinkSpreadsIt) {
  ZoomBlur blur;
  // A grey block right of and above the centre, on black.
  const D3DRECT block = {320, 128, 384, 192};
  for (float shrink : {0.0f, 10.8f}) {
    Texture& frame = clearedFrame(0xFF000000u);
    g_device->Clear(1, &block, D3DCLEAR_TARGET, 0xFF404040u, 1.0f, 0);
    blur.apply(&frame, shrink, 0.6f, 8, 0.0f);
    EXPECT_GT(blueAt(frame, 352, 160), 0x40) << "the block brightens, shrink " << shrink;
    // Towards the centre nothing comes, whatever the shrink. (Each pass
    // samples at texel corners, so the copies drift by a few pixels down
    // and to the right; the checks keep clear of that.)
    EXPECT_EQ(blueAt(frame, 310, 160), 0);
    EXPECT_EQ(blueAt(frame, 352, 210), 0);
    // The enlargement about the centre pushes the far edges outwards.
    if (shrink == 0.0f) {
      EXPECT_EQ(blueAt(frame, 404, 160), 0) << "unmoved";
      EXPECT_EQ(blueAt(frame, 352, 116), 0) << "unmoved";
    } else {
      EXPECT_GT(blueAt(frame, 404, 160), 40) << "streaks away from the centre";
      EXPECT_GT(blueAt(frame, 352, 116), 40) << "streaks away from the centre";
    }
  }
}

TEST_F(ZoomBlurTest, WhatCannotBeBlurredLeavesTheFrameAlone) {
  ZoomBlur blur;
  auto draws = [](const std::vector<std::string>& lines) {
    return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("DrawPrimitive(", 0) == 0;
    });
  };
  Texture& frame = clearedFrame(0xFF282828u);
  // No pass: the two copies, and nothing added back.
  EXPECT_EQ(draws(trace([&] { blur.apply(&frame, 10.8f, 0.6f, 0, 0.0f); })), 2);
  EXPECT_EQ(blueAt(frame, 256, 256), 0x28);
  // Shrunk past nothing: the passes stop while the rectangle is left.
  auto lines = trace([&] { blur.apply(&frame, 100.0f, 0.6f, 8, 0.0f); });
  EXPECT_EQ(draws(lines), 2 + 4 + 1);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
  }
  // Its own targets, or none, cannot be the frame.
  EXPECT_TRUE(trace([&] {
                blur.apply(blur.targetA, 10.8f, 0.6f, 8, 0.0f);
                blur.apply(blur.targetB, 10.8f, 0.6f, 8, 0.0f);
                blur.apply(nullptr, 10.8f, 0.6f, 8, 0.0f);
              }).empty());
}

}  // namespace
