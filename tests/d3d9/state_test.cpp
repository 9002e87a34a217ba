// Every state starts at its Direct3D 9 default and holds what was set; the
// trace writes calls in the documented line format.
#include "device_fixture.h"

namespace {

using StateTest = DeviceTest;

DWORD renderState(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0xDEADBEEF;
  EXPECT_EQ(device->GetRenderState(state, &value), D3D_OK);
  return value;
}

TEST_F(StateTest, RenderStateDefaults) {
  EXPECT_EQ(renderState(device, D3DRS_ZENABLE), DWORD{D3DZB_TRUE});  // auto depth-stencil
  EXPECT_EQ(renderState(device, D3DRS_CULLMODE), DWORD{D3DCULL_CCW});
  EXPECT_EQ(renderState(device, D3DRS_LIGHTING), DWORD{TRUE});
  EXPECT_EQ(renderState(device, D3DRS_ALPHABLENDENABLE), DWORD{FALSE});
  EXPECT_EQ(renderState(device, D3DRS_SRCBLEND), DWORD{D3DBLEND_ONE});
  EXPECT_EQ(renderState(device, D3DRS_DESTBLEND), DWORD{D3DBLEND_ZERO});
  EXPECT_EQ(renderState(device, D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(renderState(device, D3DRS_COLORWRITEENABLE), 0xFu);
  EXPECT_EQ(renderState(device, D3DRS_ZWRITEENABLE), DWORD{TRUE});
  EXPECT_EQ(renderState(device, D3DRS_ZFUNC), 4u);
  EXPECT_EQ(renderState(device, D3DRS_DIFFUSEMATERIALSOURCE), 1u);
  EXPECT_EQ(renderState(device, D3DRS_BLENDOP), 1u);
  DWORD value;
  EXPECT_EQ(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(210), &value),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
  EXPECT_EQ(renderState(device, D3DRS_CULLMODE), DWORD{D3DCULL_NONE});
}

TEST_F(StateTest, StageAndSamplerDefaults) {
  DWORD v;
  for (DWORD stage = 0; stage < 8; ++stage) {
    device->GetTextureStageState(stage, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, stage == 0 ? DWORD{D3DTOP_MODULATE} : DWORD{D3DTOP_DISABLE});
    device->GetTextureStageState(stage, D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(v, stage == 0 ? DWORD{D3DTOP_SELECTARG1} : DWORD{D3DTOP_DISABLE});
    device->GetTextureStageState(stage, D3DTSS_COLORARG1, &v);
    EXPECT_EQ(v, D3DTA_TEXTURE);
    device->GetTextureStageState(stage, D3DTSS_COLORARG2, &v);
    EXPECT_EQ(v, D3DTA_CURRENT);
    device->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &v);
    EXPECT_EQ(v, stage);
    device->GetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, &v);
    EXPECT_EQ(v, DWORD{D3DTTFF_DISABLE});
  }
  EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
  for (DWORD sampler = 0; sampler < 16; ++sampler) {
    device->GetSamplerState(sampler, D3DSAMP_MAGFILTER, &v);
    EXPECT_EQ(v, DWORD{D3DTEXF_POINT});
    device->GetSamplerState(sampler, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, DWORD{D3DTEXF_POINT});
    device->GetSamplerState(sampler, D3DSAMP_MIPFILTER, &v);
    EXPECT_EQ(v, DWORD{D3DTEXF_NONE});
    device->GetSamplerState(sampler, D3DSAMP_ADDRESSU, &v);
    EXPECT_EQ(v, DWORD{D3DTADDRESS_WRAP});
    device->GetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, &v);
    EXPECT_EQ(v, 1u);
  }
  EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MAGFILTER, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetSamplerState(6, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR), D3D_OK);
  device->GetSamplerState(6, D3DSAMP_MIPFILTER, &v);
  EXPECT_EQ(v, DWORD{D3DTEXF_LINEAR});
  device->GetSamplerState(7, D3DSAMP_MIPFILTER, &v);
  EXPECT_EQ(v, DWORD{D3DTEXF_NONE});
}

TEST_F(StateTest, TransformsStartAsIdentityAndHoldWhatIsSet) {
  D3DMATRIX m;
  ASSERT_EQ(device->GetTransform(D3DTS_TEXTURE7, &m), D3D_OK);
  EXPECT_EQ(m._11, 1.0f);
  EXPECT_EQ(m._12, 0.0f);
  EXPECT_EQ(m._44, 1.0f);
  D3DMATRIX set = m;
  set._31 = 0.25f;
  ASSERT_EQ(device->SetTransform(D3DTS_TEXTURE1, &set), D3D_OK);
  ASSERT_EQ(device->GetTransform(D3DTS_TEXTURE1, &m), D3D_OK);
  EXPECT_EQ(m._31, 0.25f);
  ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &m), D3D_OK);
  EXPECT_EQ(m._31, 0.0f);
  EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(257), &set),
            D3DERR_INVALIDCALL);
}

TEST_F(StateTest, TraceLinesNameStatesAndObjects) {
  d3d9port::setTraceEnabled(true);
  device->SetRenderState(D3DRS_CULLMODE, 1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, 2);
  device->SetSamplerState(1, D3DSAMP_ADDRESSU, 3);
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  m._31 = 0.5f;
  device->SetTransform(D3DTS_TEXTURE1, &m);
  IDirect3DTexture9* texture = nullptr;
  device->CreateTexture(512, 512, 1, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr);
  IDirect3DVertexBuffer9* vb = nullptr;
  device->CreateVertexBuffer(80, 8, 0x102, D3DPOOL_MANAGED, &vb, nullptr);
  void* data;
  vb->Lock(0, 80, &data, 0);
  vb->Unlock();
  IDirect3DSurface9* surface = nullptr;
  texture->GetSurfaceLevel(0, &surface);
  device->SetTexture(1, nullptr);
  device->SetFVF(0x102);
  device->SetStreamSource(0, vb, 0, 20);
  device->Clear(0, nullptr, 0x1, 0, 1.0f, 0);
  device->BeginScene();
  device->EndScene();
  surface->Release();
  texture->Release();
  vb->Release();
  d3d9port::setTraceEnabled(false);
  const std::vector<std::string> expected = {
      "SetRenderState(D3DRS_CULLMODE, 1)", "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetSamplerState(1, D3DSAMP_ADDRESSU, 3)",
      "SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0.5 0 1 0 0 0 0 1])",
      // d3d#1, dev#2, back buffer surf#3, automatic depth surf#4
      "CreateTexture(512, 512, 1, 0x1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT) -> tex#5",
      "CreateVertexBuffer(80, 0x8, 0x102, D3DPOOL_MANAGED) -> vb#6", "Lock(vb#6, 0, 80, 0x0)",
      "Unlock(vb#6)", "GetSurfaceLevel(tex#5, 0) -> surf#7", "SetTexture(1, null)", "SetFVF(0x102)",
      "SetStreamSource(0, vb#6, 0, 20)", "Clear(0, null, 0x1, 0x00000000, 1, 0)", "BeginScene()",
      "EndScene()", "Release(surf#7) -> 1", "Release(tex#5) -> 0",
      "Release(vb#6) -> 1",  // still the stream source
  };
  EXPECT_EQ(d3d9port::traceLines(), expected);
  device->SetStreamSource(0, nullptr, 0, 0);
}

}  // namespace
