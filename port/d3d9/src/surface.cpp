#include "surface.h"

#include <cstdio>

#include "device.h"
#include "texture.h"

namespace d3d9impl {

Surface::Surface(Device* device, std::unique_ptr<Image> image, DWORD usage, D3DPOOL pool)
    : RefCounted("surf"),
      device_(device),
      container_(nullptr),
      owned_(std::move(image)),
      image_(owned_.get()),
      usage_(usage),
      pool_(pool) {
  device_->childCreated();
}

Surface::Surface(Texture* container, Image* image, DWORD usage, D3DPOOL pool)
    : RefCounted("surf"),
      device_(nullptr),
      container_(container),
      image_(image),
      usage_(usage),
      pool_(pool) {}

Surface::~Surface() {
  if (device_ != nullptr) device_->childDestroyed();
}

ULONG Surface::retain() {
  return container_ != nullptr ? container_->retain() : RefCounted::retain();
}

ULONG Surface::release() {
  return container_ != nullptr ? container_->release() : RefCounted::release();
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device) {
  if (container_ != nullptr) return container_->GetDevice(device);
  return device_->handOut(device);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (tracing()) traceLine("GetDesc(" + name() + ")");
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {image_->format(), D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0,
           image_->width(),  image_->height()};
  return D3D_OK;
}

std::string Surface::rectText(const RECT* rect) {
  if (rect == nullptr) return "null";
  char text[64];
  std::snprintf(text, sizeof text, "[%ld %ld %ld %ld]", static_cast<long>(rect->left),
                static_cast<long>(rect->top), static_cast<long>(rect->right),
                static_cast<long>(rect->bottom));
  return text;
}

HRESULT Surface::lockImage(Image& image, D3DLOCKED_RECT* locked, const RECT* rect) {
  if (locked == nullptr || image.locked) return D3DERR_INVALIDCALL;
  LONG left = 0, top = 0;
  if (rect != nullptr) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > image.width() ||
        static_cast<UINT>(rect->bottom) > image.height()) {
      return D3DERR_INVALIDCALL;
    }
    left = rect->left;
    top = rect->top;
  }
  image.locked = true;
  ++image.writes;
  locked->Pitch = static_cast<INT>(image.pitch());
  locked->pBits = image.row(static_cast<UINT>(top)) + left * image.bytesPerPixel();
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (tracing()) traceLine("LockRect(" + name() + ", " + rectText(rect) + ", " + hex(flags) + ")");
  return lockImage(*image_, locked, rect);
}

HRESULT Surface::UnlockRect() {
  if (tracing()) traceLine("UnlockRect(" + name() + ")");
  if (!image_->locked) return D3DERR_INVALIDCALL;
  image_->locked = false;
  // Copies made while it was locked may have missed what was written since.
  ++image_->writes;
  return D3D_OK;
}

}  // namespace d3d9impl
