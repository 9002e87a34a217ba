#include "image.h"

#include <new>

#include "format.h"

namespace d3d9impl {

HRESULT Image::create(D3DFORMAT format, UINT width, UINT height, std::unique_ptr<Image>* image,
                      d3d9port::Texels texels) {
  FormatInfo info;
  if (!formatInfo(format, &info) || width == 0 || height == 0) return D3DERR_INVALIDCALL;
  // 64-bit arithmetic: 8192 x 8192 x 4 is far from overflowing, but the
  // check stays correct whatever the limits become.
  const std::uint64_t pitch = std::uint64_t{width} * info.bytesPerPixel;
  const std::uint64_t bytes = pitch * height;
  if (bytes / height != pitch || bytes > SIZE_MAX) return E_OUTOFMEMORY;
  auto made = std::unique_ptr<Image>(new (std::nothrow) Image);
  if (!made) return E_OUTOFMEMORY;
  if (texels) {
    made->data_ = std::move(texels);
  } else {
    // calloc: a defined (black) picture, and pages are only touched when used.
    made->data_.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(bytes), 1)));
  }
  if (!made->data_) return E_OUTOFMEMORY;
  made->format_ = format;
  made->width_ = width;
  made->height_ = height;
  made->bytesPerPixel_ = info.bytesPerPixel;
  made->pitch_ = static_cast<std::size_t>(pitch);
  *image = std::move(made);
  return D3D_OK;
}

}  // namespace d3d9impl
