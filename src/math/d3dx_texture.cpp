#include "d3dx_texture.h"

#include <new>
#include <utility>

#include "picture_prefetch.h"
#include "prepared_picture.h"

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (device == nullptr || path == nullptr) return D3DERR_INVALIDCALL;
  try {
    // A prefetched result stands for reading the file now.
    if (PicturePrefetch* prefetch = PicturePrefetch::active()) {
      if (auto prepared = prefetch->take(path)) {
        return imageload::createTexture(device, std::move(*prepared), texture);
      }
    }
    return imageload::createTexture(device, imageload::preparePicture(path), texture);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
