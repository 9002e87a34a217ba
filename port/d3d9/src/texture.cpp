#include "texture.h"

#include <new>

#include "device.h"
#include "device_limits.h"
#include "format.h"
#include "surface.h"

namespace d3d9impl {

UINT fullChainLevels(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT side = width > height ? width : height; side > 1; side >>= 1) ++levels;
  return levels;
}

Texture::Texture(Device* device, DWORD usage, D3DPOOL pool)
    : RefCounted("tex"), device_(device), usage_(usage), pool_(pool) {
  device_->childCreated();
}

Texture::~Texture() {
  surfaces_.clear();
  device_->childDestroyed();
}

HRESULT Texture::create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, Texture** texture,
                        std::vector<d3d9port::Texels>* texels) {
  FormatInfo info;
  if (width == 0 || height == 0 || width > limits::kMaxTextureSize ||
      height > limits::kMaxTextureSize || !formatInfo(format, &info) || !info.colour) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_RENDERTARGET) != 0 && (!info.target || pool != D3DPOOL_DEFAULT)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT chain = fullChainLevels(width, height);
  if (levels == 0) levels = chain;
  if (levels > chain) return D3DERR_INVALIDCALL;
  if (texels != nullptr) {
    if (texels->size() != levels) return D3DERR_INVALIDCALL;
    for (const d3d9port::Texels& block : *texels) {
      if (!block) return D3DERR_INVALIDCALL;
    }
  }

  std::unique_ptr<Texture> made(new (std::nothrow) Texture(device, usage, pool));
  if (!made) return E_OUTOFMEMORY;
  made->levels_.reserve(levels);  // at most 14 entries
  for (UINT i = 0; i < levels; ++i) {
    std::unique_ptr<Image> image;
    const UINT w = width >> i > 0 ? width >> i : 1;
    const UINT h = height >> i > 0 ? height >> i : 1;
    d3d9port::Texels given = texels != nullptr ? std::move((*texels)[i]) : d3d9port::Texels{};
    if (HRESULT hr = Image::create(format, w, h, &image, std::move(given)); FAILED(hr)) return hr;
    made->levels_.push_back(std::move(image));
  }
  made->surfaces_.resize(levels);
  if (info.bytesPerPixel != 4) made->wordCopies_.resize(levels);
  made->clearCopies_.resize(levels);
  // Draws write render targets without a lock, and a format without alpha
  // (X8R8G8B8's unused bits included) is never transparent: neither has
  // clear tiles. Without the room for them a texture is drawn as well, only
  // without the shortcut.
  if ((usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) == 0 && info.alpha) {
    for (UINT i = 0; i < levels; ++i) {
      try {
        made->clearCopies_[i].tiles =
            std::make_unique<ClearTiles>(made->levels_[i]->width(), made->levels_[i]->height());
      } catch (const std::bad_alloc&) {
        made->clearCopies_[i].tiles.reset();
      }
    }
  }
  *texture = made.release();
  return D3D_OK;
}

const Image* Texture::wordLevel(UINT index) const {
  const Image& level = *levels_[index];
  if (level.bytesPerPixel() == 4) return &level;
  WordCopy& copy = wordCopies_[index];
  if (copy.image && copy.writes == level.writes) return copy.image.get();
  if (!copy.image &&
      FAILED(Image::create(D3DFMT_A8R8G8B8, level.width(), level.height(), &copy.image))) {
    return nullptr;
  }
  const UINT bytes = level.bytesPerPixel();
  for (UINT y = 0; y < level.height(); ++y)
    decodeRow(level.format(), bytes, level.row(y), level.width(), copy.image->row32(y));
  copy.writes = level.writes;
  return copy.image.get();
}

const ClearTiles* Texture::clearTiles(UINT index) const {
  const Image& level = *levels_[index];
  ClearCopy& copy = clearCopies_[index];
  if (!copy.tiles || level.locked) return nullptr;
  if (copy.made && copy.writes == level.writes) return copy.tiles.get();
  const Image* words = wordLevel(index);
  if (words == nullptr) return nullptr;
  copy.tiles->update(*words);
  copy.made = true;
  copy.writes = level.writes;
  return copy.tiles.get();
}

HRESULT Texture::GetDevice(IDirect3DDevice9** device) { return device_->handOut(device); }

DWORD Texture::GetLevelCount() { return levelCount(); }

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  if (tracing()) traceLine("GetLevelDesc(" + name() + ", " + std::to_string(level) + ")");
  if (desc == nullptr || level >= levelCount()) return D3DERR_INVALIDCALL;
  const Image& image = *levels_[level];
  *desc = {image.format(), D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0,
           image.width(),  image.height()};
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) {
  if (surface == nullptr || level >= levelCount()) {
    if (tracing())
      traceLine("GetSurfaceLevel(" + name() + ", " + std::to_string(level) + ") -> null");
    return D3DERR_INVALIDCALL;
  }
  if (!surfaces_[level]) {
    surfaces_[level].reset(new (std::nothrow) Surface(this, levels_[level].get(), usage_, pool_));
    if (!surfaces_[level]) return E_OUTOFMEMORY;
  }
  retain();
  *surface = surfaces_[level].get();
  if (tracing()) {
    traceLine("GetSurfaceLevel(" + name() + ", " + std::to_string(level) + ") -> " +
              surfaces_[level]->name());
  }
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (tracing()) {
    traceLine("LockRect(" + name() + ", " + std::to_string(level) + ", " + Surface::rectText(rect) +
              ", " + hex(flags) + ")");
  }
  if (level >= levelCount()) return D3DERR_INVALIDCALL;
  return Surface::lockImage(*levels_[level], locked, rect);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (tracing()) traceLine("UnlockRect(" + name() + ", " + std::to_string(level) + ")");
  if (level >= levelCount() || !levels_[level]->locked) return D3DERR_INVALIDCALL;
  levels_[level]->locked = false;
  // Copies made while it was locked may have missed what was written since.
  ++levels_[level]->writes;
  return D3D_OK;
}

}  // namespace d3d9impl
