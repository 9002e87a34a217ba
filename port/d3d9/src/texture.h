// A texture: a chain of mip levels, each an Image; the level surfaces are
// made on first request and share the texture's reference count.
#pragma once

#include <memory>
#include <vector>

#include "clear_tiles.h"
#include "image.h"
#include "object.h"

namespace d3d9impl {

class Device;
class Surface;

class Texture final : public RefCounted<IDirect3DTexture9> {
 public:
  // Levels 0 means the whole chain down to 1 x 1. With `texels` (one block a
  // level, as many as levels), the levels take them over as their pixels.
  static HRESULT create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, Texture** texture,
                        std::vector<d3d9port::Texels>* texels = nullptr);
  ~Texture() override;

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override;
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  UINT levelCount() const { return static_cast<UINT>(levels_.size()); }
  const Image& level(UINT index) const { return *levels_[index]; }
  D3DFORMAT format() const { return levels_[0]->format(); }

  // Level index with every texel as a 32-bit word (A8R8G8B8 or X8R8G8B8),
  // the form the fast sampler reads: the level itself, or for the narrower
  // formats a decoded copy, made again only after the level was locked.
  // Null when the copy cannot be had. Not safe against a concurrent call.
  const Image* wordLevel(UINT index) const;

  // Which tiles of level index are wholly transparent, for a texture that
  // only locks can change (not a render target) and whose texels have an
  // alpha of their own; made again only after the level was locked. Null
  // otherwise, and while the level is locked. Not safe against a concurrent
  // call.
  const ClearTiles* clearTiles(UINT index) const;

 private:
  Texture(Device* device, DWORD usage, D3DPOOL pool);

  Device* device_;
  DWORD usage_;
  D3DPOOL pool_;
  std::vector<std::unique_ptr<Image>> levels_;
  std::vector<std::unique_ptr<Surface>> surfaces_;
  struct WordCopy {
    std::unique_ptr<Image> image;
    std::uint64_t writes = 0;  // the level's count when the copy was made
  };
  mutable std::vector<WordCopy> wordCopies_;
  struct ClearCopy {
    std::unique_ptr<ClearTiles> tiles;
    bool made = false;         // found from the texels at least once
    std::uint64_t writes = 0;  // the level's count when they were found
  };
  mutable std::vector<ClearCopy> clearCopies_;
};

// Mip levels of a full chain for a width x height texture.
UINT fullChainLevels(UINT width, UINT height);

}  // namespace d3d9impl
