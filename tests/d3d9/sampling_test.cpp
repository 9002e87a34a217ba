// Texture sampling: the half-texel shift, bilinear weights, addressing, mip
// selection, the trilinear blend and the texture transform.
#include <cmath>
#include <utility>

#include "draw_helpers.h"

namespace {

using SamplingTest = DrawTest;

DWORD red(std::uint32_t p) { return (p >> 16) & 255; }

TEST_F(SamplingTest, PointCopyIsExactAndBilinearShowsTheHalfTexelShift) {
  const std::vector<DWORD> row = {0xFF000000u, 0xFF640000u, 0xFFC80000u, 0xFFFF0000u};
  std::vector<DWORD> texels;
  for (int y = 0; y < 4; ++y) texels.insert(texels.end(), row.begin(), row.end());
  target(4, 4);
  device->SetTexture(0, texture(4, 4, texels));
  selectStage0(D3DTA_TEXTURE);
  filters(0, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, D3DTADDRESS_CLAMP);
  fullScreen();
  EXPECT_EQ(pixels(), std::vector<std::uint32_t>(texels.begin(), texels.end()));
  // Pixel i samples u = i/4, texel position i - 0.5: halfway to the left.
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_CLAMP);
  fullScreen();
  auto p = pixels();
  EXPECT_EQ(red(p[0]), 0u);    // clamped: texel 0 twice
  EXPECT_EQ(red(p[1]), 50u);   // (0 + 100) / 2
  EXPECT_EQ(red(p[2]), 150u);  // (100 + 200) / 2
  EXPECT_EQ(red(p[3]), 228u);  // (200 + 255) / 2 = 227.5, rounded up
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_WRAP);
  fullScreen();
  p = pixels();
  EXPECT_EQ(red(p[0]), 128u);  // wraps to texel 3: (255 + 0) / 2
  EXPECT_EQ(red(p[3]), 228u);
}

TEST_F(SamplingTest, BilinearWeightsAtKnownPoints) {
  // One blue texel at (1, 1) of a 2 x 2 texture, stretched over 8 x 8: pixel
  // x samples texel position x/4 - 0.5.
  target(8, 8);
  device->SetTexture(0, texture(2, 2, {0, 0, 0, 0xFF0000FFu}));
  selectStage0(D3DTA_TEXTURE);
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_CLAMP);
  fullScreen();
  const auto p = pixels();
  EXPECT_EQ(p[2 * 8 + 2], 0u);           // exactly on texel (0, 0)
  EXPECT_EQ(p[3 * 8 + 3] & 255, 16u);    // 255 x 0.25 x 0.25 = 15.94
  EXPECT_EQ(p[5 * 8 + 4] & 255, 96u);    // 255 x 0.5 x 0.75 = 95.63
  EXPECT_EQ(p[4 * 8 + 4], 0x40000040u);  // 0.25: 63.75, alpha too
  EXPECT_EQ(p[6 * 8 + 6], 0xFF0000FFu);  // on texel (1, 1)
  EXPECT_EQ(p[7 * 8 + 7], 0xFF0000FFu);  // clamped beyond it
}

// A 16 x 16 texture whose levels are solid 0x10, 0x20, 0x40, 0x80, 0xFF.
IDirect3DTexture9* levels(IDirect3DDevice9* device, std::vector<IDirect3DTexture9*>* keep) {
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
            D3D_OK);
  const DWORD shades[5] = {0x10, 0x20, 0x40, 0x80, 0xFF};
  for (UINT level = 0; level < 5; ++level) {
    const UINT side = 16u >> level;
    fillTexture(t, level, std::vector<DWORD>(side * side, 0xFF000000u | shades[level] << 16));
  }
  keep->push_back(t);
  return t;
}

TEST_F(SamplingTest, MipLevelFollowsMinification) {
  target(16, 16);
  device->SetTexture(0, levels(device, &textures));
  selectStage0(D3DTA_TEXTURE);
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_POINT, D3DTADDRESS_WRAP);
  const struct {
    float span;  // texture repeats across the target
    DWORD shade;
  } cases[] = {{1, 0x10}, {2, 0x20}, {4, 0x40}, {8, 0x80}, {16, 0xFF}, {64, 0xFF}};
  for (const auto& c : cases) {
    quad(-1, 1, 1, -1, 0, 0, c.span, c.span);
    EXPECT_EQ(red(pixels()[17]), c.shade) << "span " << c.span;
  }
  // The longer of the two steps decides, along either axis: 4:1 one way,
  // 1:1 (or 1:2) the other is level 2.
  for (const auto& [su, sv] : {std::pair{4.0f, 1.0f}, {1.0f, 4.0f}, {4.0f, 2.0f}, {2.0f, 4.0f}}) {
    quad(-1, 1, 1, -1, 0, 0, su, sv);
    EXPECT_EQ(red(pixels()[17]), 0x40u) << su << " by " << sv;
  }
  // 1:1.5 per pixel with POINT mips: lod 0.585 rounds to level 1.
  quad(-1, 1, 1, -1, 0, 0, 1.5f, 1.5f);
  EXPECT_EQ(red(pixels()[17]), 0x20u);
  // MIPFILTER NONE stays on level 0 whatever the minification.
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_WRAP);
  quad(-1, 1, 1, -1, 0, 0, 4, 4);
  EXPECT_EQ(red(pixels()[17]), 0x10u);
}

TEST_F(SamplingTest, TrilinearBlendsTwoLevels) {
  target(16, 16);
  device->SetTexture(0, levels(device, &textures));
  selectStage0(D3DTA_TEXTURE);
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTADDRESS_WRAP);
  // 2^1.5 texels a pixel: halfway between levels 1 and 2: (32 + 64) / 2.
  const float span = std::sqrt(8.0f);
  quad(-1, 1, 1, -1, 0, 0, span, span);
  EXPECT_EQ(red(pixels()[17]), 48u);
  // 2^1.25: a quarter of the way: (32 x 192 + 64 x 64 + 128) / 256 = 40.5 -> 40.
  const float quarter = std::pow(2.0f, 1.25f);
  quad(-1, 1, 1, -1, 0, 0, quarter, quarter);
  EXPECT_EQ(red(pixels()[17]), 40u);
  // A texture of one level samples level 0 even when minified.
  device->SetTexture(0, texture(16, 16, std::vector<DWORD>(256, 0xFF070000u)));
  quad(-1, 1, 1, -1, 0, 0, 4, 4);
  EXPECT_EQ(red(pixels()[17]), 7u);
}

TEST_F(SamplingTest, TextureTransformShiftsThroughTheThirdRow) {
  std::vector<DWORD> texels(16);
  for (DWORD i = 0; i < 16; ++i) texels[i] = 0xFF000000u | (i * 16) << 16;
  target(4, 4);
  device->SetTexture(1, texture(4, 4, texels));
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  filters(1, D3DTEXF_POINT, D3DTEXF_POINT, D3DTEXF_NONE, D3DTADDRESS_WRAP);
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  m._31 = 0.25f;  // one texel to the right
  m._32 = 0.5f;   // two rows down
  device->SetTransform(D3DTS_TEXTURE1, &m);
  fullScreen(0xFF000000u);
  const auto p = pixels();
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(p[y * 4 + x], texels[((y + 2) % 4) * 4 + (x + 1) % 4]) << x << "," << y;
    }
  }
}

}  // namespace
