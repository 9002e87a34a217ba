// One Direct3D texture and the surface of its level 0: every picture and
// every render target of the show.
#pragma once

#include <d3d9.h>

#include <string>

class Texture {
 public:
  Texture() = default;
  ~Texture();  // not virtual: nothing is ever deleted through a base pointer
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // The virtual operations, in slot order.
  virtual bool createRenderTarget(int size);
  virtual bool createRenderTarget(int width, int height);
  virtual bool loadFromFile(std::string name);
  virtual void release();

  HRESULT bind(DWORD stage);
  HRESULT bind();

  // The file loadFromFile reads for `name`.
  static std::string filePath(const std::string& name);

  IDirect3DTexture9* texture = nullptr;
  IDirect3DSurface9* surface = nullptr;
};
