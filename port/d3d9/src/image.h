// The pixel store behind a surface or one texture level. Allocation never
// throws: a size that cannot be had is reported as E_OUTOFMEMORY.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace d3d9impl {

class Image {
 public:
  // Width and height must already be checked against the device limits.
  // With `texels`, the image takes them over as its pixels (rows packed,
  // width * bytes per pixel long) instead of making black ones; they are
  // freed if it fails.
  static HRESULT create(D3DFORMAT format, UINT width, UINT height, std::unique_ptr<Image>* image,
                        d3d9port::Texels texels = {});

  D3DFORMAT format() const { return format_; }
  UINT width() const { return width_; }
  UINT height() const { return height_; }
  UINT bytesPerPixel() const { return bytesPerPixel_; }
  std::size_t pitch() const { return pitch_; }
  std::uint8_t* bits() { return data_.get(); }
  const std::uint8_t* bits() const { return data_.get(); }
  std::uint8_t* row(UINT y) { return data_.get() + y * pitch_; }
  const std::uint8_t* row(UINT y) const { return data_.get() + y * pitch_; }
  std::uint32_t* row32(UINT y) { return reinterpret_cast<std::uint32_t*>(row(y)); }
  const std::uint32_t* row32(UINT y) const {
    return reinterpret_cast<const std::uint32_t*>(row(y));
  }

  // Lock bookkeeping shared by surfaces and texture levels. Every lock
  // counts as a write: copies made from the pixels compare writes.
  bool locked = false;
  std::uint64_t writes = 0;

 private:
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  UINT width_ = 0, height_ = 0, bytesPerPixel_ = 0;
  std::size_t pitch_ = 0;
  d3d9port::Texels data_;
};

}  // namespace d3d9impl
