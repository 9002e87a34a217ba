// The show's global objects are built by globals.cpp, linked into this test
// as into the show; each test draws into a fresh target of its own.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3dwindow.h"
#include "resources/texture.h"

// A texture of the given size filled by a function of (x, y) -> A8R8G8B8.
template <typename Fill>
IDirect3DTexture9* makeTexture(UINT width, UINT height, Fill fill, UINT levels = 1) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(g_device->CreateTexture(width, height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                    &texture, nullptr),
            D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < width; ++x) row[x] = fill(x, y);
  }
  texture->UnlockRect(0);
  return texture;
}

// Wraps a device texture in a Texture as the registry would hold it.
inline void adopt(Texture& t, IDirect3DTexture9* texture) {
  t.texture = texture;
  texture->GetSurfaceLevel(0, &t.surface);
}

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9port::clearTrace();
    g_device->BeginScene();
  }
  void TearDown() override {
    d3d9port::setTraceEnabled(false);
    g_device->EndScene();
  }

  // The lines a piece of drawing leaves in the device's trace.
  template <typename Body>
  std::vector<std::string> trace(Body body) {
    d3d9port::clearTrace();
    d3d9port::setTraceEnabled(true);
    body();
    d3d9port::setTraceEnabled(false);
    return d3d9port::traceLines();
  }

  // A render target of the given size, made current and cleared.
  void renderInto(Texture& target, int size, D3DCOLOR clear = 0) {
    target.createRenderTarget(size);
    g_device->SetRenderTarget(0, target.surface);
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
  }

  std::vector<std::uint32_t> pixels(Texture& target) {
    UINT w = 0, h = 0;
    return d3d9port::readPixels(target.surface, &w, &h);
  }
};
