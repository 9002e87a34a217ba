// The picture is the same bit for bit whatever the number of threads.
#include <cmath>

#include "draw_helpers.h"

namespace {

using ThreadsTest = DrawTest;

std::vector<std::uint32_t> warpedFrame(ThreadsTest* test, IDirect3DDevice9* device,
                                       IDirect3DTexture9* picture) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00102030, 1.0f, 0);
  device->SetTexture(0, picture);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  // A warped 12 x 9 lattice with varying colours, drawn as strips of fans.
  const int cols = 12, rows = 9;
  for (int i = 0; i + 1 < rows; ++i) {
    for (int j = 0; j + 1 < cols; ++j) {
      std::vector<QuadVertex> v;
      const int corner[4][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}};
      for (const auto& c : corner) {
        const float x = -1.1f + 2.2f * c[1] / (cols - 1), y = -1.1f + 2.2f * c[0] / (rows - 1);
        const float u = 1.7f * c[1] / (cols - 1) + 0.2f * std::sin(0.9f * c[0]);
        const float vv = -1.3f * c[0] / (rows - 1) + 0.15f * std::cos(0.7f * c[1]);
        const DWORD colour = D3DCOLOR_ARGB(90 + 15 * c[0], 255 - 20 * c[1], 128, 40 * c[0]);
        v.push_back({x, y, 0.5f, colour, u, vv});
      }
      test->drawFan(v);
    }
  }
  return test->readBack();
}

TEST_F(ThreadsTest, SamePictureWithOneTwoAndThreeThreads) {
  target(200, 150);
  std::vector<DWORD> texels(64 * 64);
  for (int i = 0; i < 64 * 64; ++i) texels[i] = 0xFF000000u | (i * 2654435761u >> 8);
  IDirect3DTexture9* picture = nullptr;
  ASSERT_EQ(
      device->CreateTexture(64, 64, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &picture, nullptr),
      D3D_OK);
  textures.push_back(picture);
  for (UINT level = 0; level < picture->GetLevelCount(); ++level) {
    const UINT side = 64u >> level;
    std::vector<DWORD> l(side * side);
    for (UINT k = 0; k < l.size(); ++k) l[k] = texels[k % texels.size()] ^ (level * 0x111111u);
    fillTexture(picture, level, l);
  }
  d3d9port::setThreadCount(1);
  const auto one = warpedFrame(this, device, picture);
  d3d9port::setThreadCount(2);
  const auto two = warpedFrame(this, device, picture);
  d3d9port::setThreadCount(3);
  const auto three = warpedFrame(this, device, picture);
  ASSERT_EQ(one.size(), 200u * 150u);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one, three);
  int background = 0;
  for (std::uint32_t p : one) background += p == 0x00102030u;
  EXPECT_LT(background, 200 * 150 / 2);  // the lattice really covers the target
}

}  // namespace
