// A surface: either a free-standing one (back buffer, depth-stencil) that
// owns its pixels, or a view of one texture level whose reference count is
// the texture's, as in Direct3D 9.
#pragma once

#include <memory>

#include "image.h"
#include "object.h"

namespace d3d9impl {

class Device;
class Texture;

class Surface final : public RefCounted<IDirect3DSurface9> {
 public:
  Surface(Device* device, std::unique_ptr<Image> image, DWORD usage, D3DPOOL pool);
  Surface(Texture* container, Image* image, DWORD usage, D3DPOOL pool);
  ~Surface() override;

  ULONG retain() override;
  ULONG release() override;

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  Image& image() { return *image_; }
  DWORD usage() const { return usage_; }
  Texture* container() const { return container_; }

  // Shared by the texture's own LockRect: checks the rectangle and locks.
  static HRESULT lockImage(Image& image, D3DLOCKED_RECT* locked, const RECT* rect);
  static std::string rectText(const RECT* rect);

 private:
  Device* device_;
  Texture* container_;
  std::unique_ptr<Image> owned_;
  Image* image_;
  DWORD usage_;
  D3DPOOL pool_;
};

}  // namespace d3d9impl
