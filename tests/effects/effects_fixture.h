// The show's global objects are built by globals.cpp, linked into this test
// as into the show; each test draws into a fresh target of its own.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>
#include <gtest/gtest.h>

#include <map>
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

  // The trace with the device's object tags ("tex#12") replaced by the
  // names a test gave them, so that expected sequences read as the code.
  static std::vector<std::string> named(std::vector<std::string> lines,
                                        const std::map<std::string, std::string>& names) {
    for (std::string& line : lines) {
      for (const auto& [tag, name] : names) {
        // "tex#1" must not match the start of "tex#12".
        for (std::size_t at = line.find(tag); at != std::string::npos;
             at = line.find(tag, at + 1)) {
          const std::size_t end = at + tag.size();
          if (end < line.size() && line[end] >= '0' && line[end] <= '9') continue;
          line.replace(at, tag.size(), name);
        }
      }
    }
    return lines;
  }
  // The tags the trace gives a texture, its level 0 and a vertex buffer.
  std::string tagOf(Texture& t) {
    std::string line = trace([&] { t.bind(7); }).at(0);  // "SetTexture(7, tex#N)"
    g_device->SetTexture(7, nullptr);
    return line.substr(14, line.size() - 15);
  }
  std::string surfaceTagOf(Texture& t) {
    std::string line = trace([&] { g_device->SetRenderTarget(0, t.surface); }).at(0);
    return line.substr(19, line.size() - 20);
  }
  std::string tagOf(IDirect3DVertexBuffer9* buffer) {
    std::string line = trace([&] { g_device->SetStreamSource(0, buffer, 0, 20); }).at(0);
    return line.substr(19, line.find(',', 19) - 19);
  }

  std::vector<std::uint32_t> pixels(Texture& target) {
    UINT w = 0, h = 0;
    return d3d9port::readPixels(target.surface, &w, &h);
  }
};
