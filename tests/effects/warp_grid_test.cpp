// WarpGrid: the lattice, the warps, the draw's states and its opacity.
#include "effects/warp_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

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
  // Steps are floats once and grow by addition, not by multiplication.
  float x = -1.0f;
  for (int j = 0; j < 41; ++j) x += 2.0f / 80.0f;
  EXPECT_EQ(grid.vertices[41].x, x);

  // Cells from the bottom-left, two triangles each, sharing the diagonal.
  void* data = nullptr;
  ASSERT_EQ(grid.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  const WORD* index = static_cast<const WORD*>(data);
  const std::vector<WORD> firstCells(index, index + 12);
  const std::vector<WORD> lastCell(index + 28794, index + 28800);
  grid.indexBuffer->Unlock();
  EXPECT_EQ(firstCells, (std::vector<WORD>{0, 1, 81, 81, 82, 1, 1, 2, 82, 82, 83, 2}));
  EXPECT_EQ(lastCell, (std::vector<WORD>{4858, 4859, 4939, 4939, 4940, 4859}));
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

TEST_F(WarpGridTest, TextureFactorCarriesOnlyTheClampedAlphaByte) {
  WarpGrid grid;
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
  const std::pair<float, DWORD> cases[] = {{0.5f, 128u << 24}, {1.0f, 255u << 24},
                                           {1.7f, 255u << 24}, {0.0f, 0u},
                                           {-1.0f, 0u},        {std::nanf(""), 0u}};
  for (const auto& [alpha, factor] : cases) {
    grid.alpha = alpha;
    auto lines = trace([&] { grid.draw(&picture); });
    const std::string want = "SetRenderState(D3DRS_TEXTUREFACTOR, " + std::to_string(factor) + ")";
    EXPECT_EQ(std::count(lines.begin(), lines.end(), want), 1) << "alpha " << alpha;
    EXPECT_EQ(grid.alpha, 1.0f);
  }
  picture.release();
}

TEST_F(WarpGridTest, DrawSetsItsStatesInOrderAndResetsMatrixAndAlpha) {
  WarpGrid grid;
  Texture picture;
  adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
  grid.addWaves(0.1f, 0.2f, 0.3f, 0.4f, 0.5f);
  std::vector<TexturedVertex> warped = copyOf(grid);
  grid.alpha = 0.5f;
  grid.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  const std::map<std::string, std::string> names = {{tagOf(picture), "picture"},
                                                    {tagOf(grid.vertexBuffer), "vertices"}};
  auto lines = named(trace([&] { grid.draw(&picture); }), names);
  const std::string identity = "[1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]";
  std::vector<std::string> expected = {
      "SetTexture(0, picture)",
      "SetTexture(1, picture)",
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
      "SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0 -0.2 1 0 0 0 0 1])",
      "SetTransform(D3DTS_WORLD, " + identity + ")",
      "SetTransform(D3DTS_VIEW, " + identity + ")",
      "SetTransform(D3DTS_PROJECTION, " + identity + ")",
      // The whole CPU copy goes up into fresh memory at every draw.
      "Lock(vertices, 0, 98820, 0x2000)",
      "Unlock(vertices)",
      "SetFVF(0x102)",
  };
  ASSERT_GE(lines.size(), expected.size() + 5);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
  const std::size_t n = expected.size();
  EXPECT_EQ(lines[n].rfind("SetIndices(ib#", 0), 0u) << lines[n];
  EXPECT_EQ(lines[n + 1], "SetStreamSource(0, vertices, 0, 20)");
  EXPECT_EQ(lines[n + 2], "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4941, 0, 9600)");
  EXPECT_EQ(lines[n + 3], "SetTexture(0, null)");
  EXPECT_EQ(lines[n + 4], "SetTexture(1, null)");
  EXPECT_EQ(lines.size(), n + 5);
  EXPECT_EQ(grid.alpha, 1.0f);
  D3DXMATRIX unit = identityMatrix();
  EXPECT_EQ(std::memcmp(&grid.textureMatrix, &unit, sizeof unit), 0);
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

TEST_F(WarpGridTest, WarpsAddOntoTheCoordinatesByTheirRowsAndColumns) {
  WarpGrid grid;
  std::vector<TexturedVertex> built = copyOf(grid);
  const int i = 17, j = 52;
  const TexturedVertex& before = built[static_cast<std::size_t>(i * 81 + j)];
  const TexturedVertex& p = grid.vertices[i * 81 + j];
  // Rows shift sideways, columns up and down.
  grid.addWaves(0.05f, 0.05f, 0.09f, 0.3f, -0.2f);
  EXPECT_NEAR(p.u - before.u, 0.05f * std::sin(i * 0.09f + 0.3f), 1e-6);
  EXPECT_NEAR(p.v - before.v, 0.05f * std::sin(j * 0.05f - 0.2f), 1e-6);
  // Diagonal waves: the row number goes with the column step for v and
  // with the row step for u.
  grid.resetTexCoords(1.0f, 1.0f, 0.0f, 0.0f);
  grid.addDiagonalWaves(0.4f, 2.0f);
  const float kc = 1.5707964f / 80.0f, kr = 1.5707964f / 60.0f;
  EXPECT_NEAR(p.v - before.v, 0.4f * std::sin(2.0f + i * kc + j * kr), 1e-6);
  EXPECT_NEAR(p.u - before.u, 0.4f * std::sin(2.0f + i * kr - j * kc), 1e-6);
  // The vertical wave: base - amplitude on the bottom row.
  grid.resetTexCoords(1.0f, 1.0f, 0.0f, 0.0f);
  grid.addVerticalWave(0.1f, 0.5f, 0.0f);
  const float kcv = 4.712388981f / 81.0f;
  EXPECT_NEAR(grid.vertices[j].v - built[j].v, -0.1f * std::sin(j * kcv - 0.5f), 1e-6);
  EXPECT_EQ(grid.vertices[j].u, built[j].u);
}

TEST_F(WarpGridTest, WithoutItsVertexBufferItSaysSoAndDrawsNothing) {
  const int live = d3d9port::liveObjectCount();
  {
    d3d9port::Faults faults;
    faults.createVertexBufferFailsAt = 1;
    d3d9port::setFaults(faults);
    testing::internal::CaptureStdout();
    WarpGrid grid;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CreateVertexBuffer failed, Grid\n");
    d3d9port::setFaults(d3d9port::Faults{});
    EXPECT_EQ(grid.vertexBuffer, nullptr);
    Texture picture;
    adopt(picture, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
    grid.alpha = 0.3f;
    auto lines = trace([&] { grid.draw(&picture); });
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find("Draw"), std::string::npos) << line;
      EXPECT_EQ(line.find("Lock"), std::string::npos) << line;
    }
    EXPECT_EQ(grid.alpha, 1.0f);
    picture.release();
  }
  EXPECT_EQ(d3d9port::liveObjectCount(), live) << "the index buffer goes with the grid";
}

TEST_F(WarpGridTest, SpanOfTwoRepeatsThePictureAndAlphaHalvesIt) {
  WarpGrid grid;
  Texture picture;
  adopt(picture, makeTexture(16, 16, [](UINT x, UINT y) {
          return 0xFF000000u | (x * 16) << 16 | (y * 16) << 8;
        }));
  Texture target;
  renderInto(target, 32);
  grid.resetTexCoords(2.0f, 2.0f, 0.0f, 0.0f);
  grid.draw(&picture);
  std::vector<std::uint32_t> out = pixels(target);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t p = out[32 * y + x];
      ASSERT_NEAR(static_cast<int>(out[32 * y + x + 16] >> 16 & 0xFF),
                  static_cast<int>(p >> 16 & 0xFF), 1);
      ASSERT_NEAR(static_cast<int>(out[32 * (y + 16) + x] >> 8 & 0xFF),
                  static_cast<int>(p >> 8 & 0xFF), 1);
    }
  }
  EXPECT_GT(out[32 * 4 + 12] >> 16 & 0xFF, out[32 * 4 + 4] >> 16 & 0xFF) << "not one flat colour";

  // Opacity 0.5 of white over black: mid-grey.
  Texture white;
  adopt(white, makeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; }));
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  grid.alpha = 0.5f;
  grid.draw(&white);
  EXPECT_NEAR(static_cast<int>(pixels(target)[32 * 16 + 16] & 0xFF), 128, 1);
  white.release();
  target.release();
  picture.release();
}

}  // namespace
