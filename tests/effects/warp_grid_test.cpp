// WarpGrid: the lattice, the warps, the draw's states and its opacity.
#include "effects/warp_grid.h"

#include <cmath>
#include <cstring>

#include "effects_fixture.h"

namespace {

using WarpGridTest = EffectsTest;

std::vector<TexturedVertex> copyOf(const WarpGrid& g) {
  return std::vector<TexturedVertex>(g.vertices, g.vertices + g.vertexCount);
}

bool sameBits(const std::vector<TexturedVertex>& a, const std::vector<TexturedVertex>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

TEST_F(WarpGridTest, LatticeCoversTheViewportWithUprightCoordinates) {
  WarpGrid grid;
  EXPECT_EQ(grid.vertexCount, 4941);
  EXPECT_EQ(grid.indexCount, 28800);
  const TexturedVertex& first = grid.vertices[0];
  const TexturedVertex& last = grid.vertices[grid.vertexCount - 1];
  EXPECT_EQ(first.x, -1.0f);
  EXPECT_EQ(first.y, -1.0f);
  EXPECT_EQ(first.v, 0.0f) << "bottom row";
  EXPECT_NEAR(last.x, 1.0f, 1e-5);
  EXPECT_NEAR(last.y, 1.0f, 1e-5);
  EXPECT_NEAR(last.u, 1.0f, 1e-5);
  EXPECT_NEAR(last.v, -1.0f, 1e-5) << "top row";
}

TEST_F(WarpGridTest, ResetGivesBackTheBuiltCoordinatesBitForBit) {
  WarpGrid grid;
  std::vector<TexturedVertex> built = copyOf(grid);
  grid.addRipple(0.3f, 0.01f, 1.0f);
  grid.addWaves(0.05f, 0.05f, 0.09f, 1.0f, -1.0f);
  grid.resetTexCoords(1.0f, 1.0f, 0.0f, 0.0f);
  EXPECT_TRUE(sameBits(copyOf(grid), built));
  grid.resetTexCoords(2.0f, 2.0f, 0.0f, 0.0f);
  EXPECT_NEAR(grid.vertices[80].u, 2.0f, 1e-5) << "the image twice across";
  EXPECT_NEAR(grid.vertices[60 * 81].v, -2.0f, 1e-5) << "and twice down";
}

TEST_F(WarpGridTest, RippleMovesEvenTheFourVerticesAroundTheCentre) {
  WarpGrid grid;
  std::vector<TexturedVertex> built = copyOf(grid);
  grid.addRipple(0.3f, 0.001f, 0.0f);
  for (int i : {30, 31}) {
    for (int j : {40, 41}) {
      const TexturedVertex& moved = grid.vertices[i * 81 + j];
      const TexturedVertex& before = built[static_cast<std::size_t>(i * 81 + j)];
      EXPECT_NE(moved.u, before.u) << i << "," << j;
      EXPECT_NE(moved.v, before.v) << i << "," << j;
      // Away from the centre: u grows with 40.5 - j, v with i - 30.5.
      EXPECT_EQ(moved.u > before.u, j == 40);
      EXPECT_EQ(moved.v > before.v, i == 31);
    }
  }
}

TEST_F(WarpGridTest, VerticalWaveOfNothingChangesNothingAndBaseAddsTheColumnWave) {
  WarpGrid grid;
  std::vector<TexturedVertex> built = copyOf(grid);
  grid.addVerticalWave(0.0f, 1.3f, 0.0f);
  EXPECT_TRUE(sameBits(copyOf(grid), built));
  grid.addVerticalWave(0.0f, 0.0f, 0.5f);
  // Column j moves every row by 0.5 sin(j x 4.712388981 / 81), u untouched.
  for (int i : {0, 30, 60}) {
    const TexturedVertex& p = grid.vertices[i * 81 + 27];
    const TexturedVertex& q = built[static_cast<std::size_t>(i * 81 + 27)];
    EXPECT_NEAR(p.v - q.v, 0.5f * std::sin(27.0f * (4.712388981f / 81.0f)), 1e-5);
    EXPECT_EQ(p.u, q.u);
  }
}

TEST_F(WarpGridTest, TextureFactorCarriesOnlyTheClampedAlpha) {
  EXPECT_EQ(textureFactorFor(0.5f), 128u << 24);
  EXPECT_EQ(textureFactorFor(1.0f), 255u << 24);
  EXPECT_EQ(textureFactorFor(1.7f), 255u << 24);
  EXPECT_EQ(textureFactorFor(0.0f), 0u);
  EXPECT_EQ(textureFactorFor(-1.0f), 0u);
}

TEST_F(WarpGridTest, DrawSetsItsStatesInOrderAndResetsMatrixAndAlpha) {
  WarpGrid grid;
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
  grid.addWaves(0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
  std::vector<TexturedVertex> warped = copyOf(grid);
  grid.alpha = 0.5f;
  grid.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  auto lines = trace([&] { grid.draw(&picture); });
  std::vector<std::string> states;
  for (const std::string& line : lines) {
    if (line.rfind("SetRenderState", 0) == 0 || line.rfind("SetTextureStageState", 0) == 0 ||
        line.rfind("SetSamplerState", 0) == 0) {
      states.push_back(line);
    }
  }
  std::vector<std::string> expected = {
      "SetRenderState(D3DRS_CULLMODE, 1)",
      "SetRenderState(D3DRS_LIGHTING, 1)",
      "SetRenderState(D3DRS_ZENABLE, 0)",
      "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
      "SetRenderState(D3DRS_TEXTUREFACTOR, 2147483648)",
      "SetRenderState(D3DRS_SRCBLEND, 5)",
      "SetRenderState(D3DRS_DESTBLEND, 6)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0)",
      "SetTextureStageState(1, D3DTSS_COLORARG1, 2)",
      "SetTextureStageState(1, D3DTSS_COLORARG2, 2)",
      "SetTextureStageState(1, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(1, D3DTSS_ALPHAARG1, 3)",
      "SetTextureStageState(1, D3DTSS_ALPHAARG2, 2)",
      "SetTextureStageState(1, D3DTSS_ALPHAOP, 4)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG1, 1)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG2, 1)",
      "SetTextureStageState(0, D3DTSS_ALPHAOP, 2)",
      "SetTextureStageState(0, D3DTSS_COLORARG1, 1)",
      "SetTextureStageState(0, D3DTSS_COLORARG2, 2)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(2, D3DTSS_COLOROP, 1)",
      "SetSamplerState(1, D3DSAMP_ADDRESSU, 1)",
      "SetSamplerState(1, D3DSAMP_ADDRESSV, 1)",
      "SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0)",
      "SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, 2)",
  };
  EXPECT_EQ(states, expected);
  bool drew = false;
  for (const std::string& line : lines) {
    drew |= line == "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4941, 0, 9600)";
  }
  EXPECT_TRUE(drew);
  EXPECT_EQ(lines.back(), "SetTexture(1, null)");
  EXPECT_EQ(grid.alpha, 1.0f);
  D3DXMATRIX identity = identityMatrix();
  EXPECT_EQ(std::memcmp(&grid.textureMatrix, &identity, sizeof identity), 0);
  EXPECT_TRUE(sameBits(copyOf(grid), warped)) << "the coordinates stay";
  picture.release();
}

TEST_F(WarpGridTest, PlainDrawCoversTheTargetWithThePicture) {
  WarpGrid grid;
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFF20A0E0u; }));
  Texture target;
  renderInto(target, 64);
  grid.draw(&picture);
  for (std::uint32_t p : pixels(target)) ASSERT_EQ(p & 0x00FFFFFFu, 0x0020A0E0u);
  target.release();
  picture.release();
}

}  // namespace
