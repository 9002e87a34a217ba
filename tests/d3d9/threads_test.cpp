// The picture is the same bit for bit whatever the number of threads.
#include <cmath>
#include <cstring>
#include <random>

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

// One draw whose later triangles cross several bands: in every band they
// must land over the earlier ones, whatever the thread count.
TEST_F(ThreadsTest, LaterTrianglesStayOnTopInEveryBand) {
  target(64, 64);
  selectStage0(D3DTA_DIFFUSE);
  const DWORD red = 0xFFFF0000u, green = 0xFF00FF00u;
  auto quad = [](float x0, float y0, float x1, float y1, DWORD c) {
    return std::vector<QuadVertex>{{x0, y0, 0.5f, c, 0, 0}, {x1, y0, 0.5f, c, 0, 0},
                                   {x1, y1, 0.5f, c, 0, 0}, {x0, y0, 0.5f, c, 0, 0},
                                   {x1, y1, 0.5f, c, 0, 0}, {x0, y1, 0.5f, c, 0, 0}};
  };
  std::vector<QuadVertex> list = quad(-1, 1, 1, -1, red);
  const std::vector<QuadVertex> inner = quad(-0.75f, 0.75f, 0.75f, -0.75f, green);
  list.insert(list.end(), inner.begin(), inner.end());
  for (int threads : {1, 2}) {
    d3d9port::setThreadCount(threads);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    draw(D3DPT_TRIANGLELIST, list, 4);
    const auto p = pixels();
    ASSERT_EQ(p.size(), 64u * 64u);
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const bool inside = x >= 8 && x < 56 && y >= 8 && y < 56;  // centres 8 .. 55
        wrong += p[y * 64 + x] != (inside ? green : red);
      }
    }
    EXPECT_EQ(wrong, 0) << threads << " threads";
  }
}

// A draw of thousands of triangles is set up in parts on several threads:
// overlapping triangles must still blend in draw order, as with one thread.
TEST_F(ThreadsTest, ABigDrawSetUpInPartsKeepsItsOrder) {
  target(96, 80);
  selectStage0(D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  std::mt19937 random(5);
  auto coordinate = [&] { return static_cast<float>(random() % 2001) / 1000.0f - 1.0f; };
  std::vector<QuadVertex> list;
  const UINT triangles = 5000;
  for (UINT i = 0; i < 3 * triangles; ++i) {
    list.push_back(
        {coordinate(), coordinate(), 0.5f, static_cast<DWORD>(random()) | 0x40000000u, 0, 0});
  }
  IDirect3DVertexBuffer9* big = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(static_cast<UINT>(list.size() * sizeof(QuadVertex)), 0,
                                       kQuadFvf, D3DPOOL_MANAGED, &big, nullptr),
            D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(big->Lock(0, 0, &data, 0), D3D_OK);
  std::memcpy(data, list.data(), list.size() * sizeof(QuadVertex));
  big->Unlock();
  device->SetFVF(kQuadFvf);
  device->SetStreamSource(0, big, 0, sizeof(QuadVertex));
  auto frame = [&](int threads, bool reference) {
    d3d9port::setThreadCount(threads);
    d3d9port::setReferencePipeline(reference);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles), D3D_OK);
    d3d9port::setReferencePipeline(false);
    return pixels();
  };
  const auto one = frame(1, true);
  EXPECT_EQ(frame(1, false), one);
  EXPECT_EQ(frame(2, false), one);
  EXPECT_EQ(frame(3, false), one);
  EXPECT_EQ(frame(5, true), one);
  device->SetStreamSource(0, nullptr, 0, 0);
  big->Release();
}

}  // namespace
