// The loader's work that needs no device: an image file read, decoded,
// stretched to its power-of-two level 0 and laid out as the texels of every
// level of its chain. Any thread may prepare one; only the device's own
// thread turns it into a texture.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imageload {

struct PreparedLevel {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t pitch = 0;   // bytes per row, no padding
  std::size_t offset = 0;  // into PreparedPicture::texels
};

struct PreparedPicture {
  HRESULT result = D3D_OK;  // a failure found before the device is asked
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  std::vector<PreparedLevel> levels;  // level 0 first
  std::vector<std::uint8_t> texels;

  std::size_t bytes() const { return texels.size(); }
};

// Never throws: running out of memory is E_OUTOFMEMORY in result.
PreparedPicture preparePicture(const char* path);

// A managed texture with the picture's levels; the device's result where it
// refuses one of the steps.
HRESULT createTexture(IDirect3DDevice9* device, const PreparedPicture& picture,
                      IDirect3DTexture9** out);

}  // namespace imageload
