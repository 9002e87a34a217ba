// The loader's work that needs no device: an image file read, decoded,
// stretched to its power-of-two level 0 and laid out as the texels of every
// level of its chain. Any thread may prepare one; only the device's own
// thread turns it into a texture, which takes the texels over uncopied.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imageload {

struct PreparedLevel {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t pitch = 0;  // bytes per row, no padding
};

struct PreparedPicture {
  HRESULT result = D3D_OK;  // a failure found before the device is asked
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  std::vector<PreparedLevel> levels;     // level 0 first
  std::vector<d3d9port::Texels> texels;  // one block a level, pitch * height bytes

  std::size_t bytes() const;
};

// Never throws: running out of memory is E_OUTOFMEMORY in result.
PreparedPicture preparePicture(const char* path);

// A managed texture with the picture's levels, which it takes over; the
// device's result where it refuses.
HRESULT createTexture(IDirect3DDevice9* device, PreparedPicture picture, IDirect3DTexture9** out);

}  // namespace imageload
