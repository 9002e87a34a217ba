// A fresh 640 x 480 device per test, torn down with a check that nothing
// the test made is still alive.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9port::setFaults({});
    d3d9port::setTraceEnabled(false);
    d3d9port::clearTrace();
    ASSERT_EQ(d3d9port::liveObjectCount(), 0);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 3;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24X8;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
              D3D_OK);
  }

  void TearDown() override {
    d3d9port::setTraceEnabled(false);
    d3d9port::setFaults({});
    d3d9port::setThreadCount(0);
    if (device != nullptr) {
      EXPECT_EQ(device->Release(), 0u);
    }
    if (d3d != nullptr) {
      EXPECT_EQ(d3d->Release(), 0u);
    }
    EXPECT_EQ(d3d9port::liveObjectCount(), 0) << "objects leaked";
  }

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

// Writes A8R8G8B8 words into level `level` of a texture, top row first.
inline void fillTexture(IDirect3DTexture9* texture, UINT level, const std::vector<DWORD>& texels) {
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
  ASSERT_EQ(texels.size(), std::size_t{desc.Width} * desc.Height);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
  // The narrower formats take the low bytes of each word.
  const std::size_t bytes = desc.Format == D3DFMT_A8L8                                   ? 2
                            : (desc.Format == D3DFMT_L8 || desc.Format == D3DFMT_R3G3B2) ? 1
                                                                                         : 4;
  for (UINT y = 0; y < desc.Height; ++y) {
    char* row = static_cast<char*>(locked.pBits) + y * locked.Pitch;
    for (UINT x = 0; x < desc.Width; ++x)
      std::memcpy(row + x * bytes, &texels[y * desc.Width + x], bytes);
  }
  ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
}
