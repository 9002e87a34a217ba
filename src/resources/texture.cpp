#include "resources/texture.h"

#include <cstdio>

#include "math/d3dx_texture.h"
#include "platform/d3dwindow.h"

namespace {

const char* const kTextureDirectory = "data/textures/";

}  // namespace

Texture::~Texture() { release(); }

bool Texture::createRenderTarget(int size) { return createRenderTarget(size, size); }

bool Texture::createRenderTarget(int width, int height) {
  release();  // a second creation must not leak the first
  if (FAILED(g_device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                     D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     &texture, nullptr))) {
    texture = nullptr;
    std::printf("Loading Rendertarget, %dx%d\n", width, height);
  }
  // Without a texture there is no level 0: the target stays empty.
  if (texture != nullptr) texture->GetSurfaceLevel(0, &surface);
  return true;
}

bool Texture::loadFromFile(std::string name) {
  release();
  const std::string path = filePath(name);
  if (FAILED(D3DXCreateTextureFromFileA(g_device, path.c_str(), &texture))) {
    texture = nullptr;
    std::printf("Loading Texture, %s\n", path.c_str());
  }
  if (texture != nullptr) texture->GetSurfaceLevel(0, &surface);
  return true;
}

void Texture::release() {
  if (texture != nullptr) {
    texture->Release();
    texture = nullptr;
  }
  if (surface != nullptr) {
    surface->Release();
    surface = nullptr;
  }
}

HRESULT Texture::bind(DWORD stage) { return g_device->SetTexture(stage, texture); }

HRESULT Texture::bind() { return bind(0); }

std::string Texture::filePath(const std::string& name) { return kTextureDirectory + name; }
