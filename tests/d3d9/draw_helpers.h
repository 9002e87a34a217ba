// Drawing from tests: a render-target texture, quads in clip space with
// chosen texture coordinates and colour, and the pixels read back.
#pragma once

#include "device_fixture.h"

struct QuadVertex {
  float x, y, z;
  DWORD diffuse;
  float u, v;
};
constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class DrawTest : public DeviceTest {
 public:
  // Makes a w x h A8R8G8B8 target current, cleared to `clear`, in a scene,
  // with plain states: no depth test, no culling, no lighting.
  void target(UINT w, UINT h, DWORD clear = 0) {
    ASSERT_EQ(device->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &targetTexture, nullptr),
              D3D_OK);
    ASSERT_EQ(targetTexture->GetSurfaceLevel(0, &targetSurface), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, targetSurface), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->BeginScene();
  }

  void TearDown() override {
    for (IDirect3DTexture9* t : textures) t->Release();
    if (buffer != nullptr) buffer->Release();
    if (targetSurface != nullptr) {
      device->EndScene();
      IDirect3DSurface9* back = nullptr;
      device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
      device->SetRenderTarget(0, back);
      back->Release();
      targetSurface->Release();
      targetTexture->Release();
    }
    device->SetStreamSource(0, nullptr, 0, 0);
    for (DWORD i = 0; i < 8; ++i) device->SetTexture(i, nullptr);
    DeviceTest::TearDown();
  }

  // A texture of the given texels (A8R8G8B8, row by row), kept until the end.
  IDirect3DTexture9* texture(UINT w, UINT h, const std::vector<DWORD>& texels, UINT levels = 1) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(w, h, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3D_OK);
    fillTexture(t, 0, texels);
    textures.push_back(t);
    return t;
  }

  void draw(D3DPRIMITIVETYPE type, const std::vector<QuadVertex>& vertices, UINT primitives) {
    if (buffer == nullptr) {
      ASSERT_EQ(device->CreateVertexBuffer(64 * sizeof(QuadVertex), D3DUSAGE_DYNAMIC, kQuadFvf,
                                           D3DPOOL_DEFAULT, &buffer, nullptr),
                D3D_OK);
    }
    ASSERT_LE(vertices.size(), 64u);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(QuadVertex));
    buffer->Unlock();
    device->SetFVF(kQuadFvf);
    device->SetStreamSource(0, buffer, 0, sizeof(QuadVertex));
    ASSERT_EQ(device->DrawPrimitive(type, 0, primitives), D3D_OK);
  }

  // A rectangle from (x0, y0) to (x1, y1) in clip space, u/v from the
  // top-left corner to the bottom-right one, as a fan of two triangles.
  void quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
            DWORD colour = 0xFFFFFFFFu, float z = 0.5f) {
    draw(D3DPT_TRIANGLEFAN,
         {{x0, y0, z, colour, u0, v0},
          {x1, y0, z, colour, u1, v0},
          {x1, y1, z, colour, u1, v1},
          {x0, y1, z, colour, u0, v1}},
         2);
  }
  void fullScreen(DWORD colour = 0xFFFFFFFFu) { quad(-1, 1, 1, -1, 0, 0, 1, 1, colour); }

  // Stage 0 shows argument `arg` for colour and alpha; stage 1 is off.
  void selectStage0(DWORD arg) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, arg);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, arg);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }

  // The warp grid's stages: the lit colour and alpha at stage 0, then stage
  // 1's texture colour with the texture's alpha times TFACTOR's.
  void warpGridStages() {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  }

  void filters(DWORD sampler, DWORD mag, DWORD min, DWORD mip, DWORD address) {
    device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, mag);
    device->SetSamplerState(sampler, D3DSAMP_MINFILTER, min);
    device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, mip);
    device->SetSamplerState(sampler, D3DSAMP_ADDRESSU, address);
    device->SetSamplerState(sampler, D3DSAMP_ADDRESSV, address);
  }

  void drawFan(const std::vector<QuadVertex>& v) {
    draw(D3DPT_TRIANGLEFAN, v, static_cast<UINT>(v.size() - 2));
  }
  std::vector<std::uint32_t> readBack() { return pixels(); }

  std::vector<std::uint32_t> pixels() {
    return d3d9port::readPixels(targetSurface, nullptr, nullptr);
  }

  IDirect3DTexture9* targetTexture = nullptr;
  IDirect3DSurface9* targetSurface = nullptr;
  IDirect3DVertexBuffer9* buffer = nullptr;
  std::vector<IDirect3DTexture9*> textures;
};
