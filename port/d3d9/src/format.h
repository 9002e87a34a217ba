// Pixel formats the device stores, and how each reads back as A8R8G8B8.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <cstdint>

namespace d3d9impl {

struct FormatInfo {
  UINT bytesPerPixel = 0;
  bool colour = false;  // can be a texture and be sampled
  bool target = false;  // can be drawn into
  bool depth = false;   // a depth-stencil format
  bool alpha = false;   // its texels have an alpha of their own
};

// False for a format the device does not know.
bool formatInfo(D3DFORMAT format, FormatInfo* info);

// The texel at p as A8R8G8B8. Formats without alpha read alpha 1 (0xFF);
// L8 reads (L, L, L, 1); R3G3B2 widens each field by repeating its bits, so
// that 0 stays 0 and the largest value becomes 0xFF.
inline std::uint32_t decodeTexel(D3DFORMAT format, const std::uint8_t* p) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    case D3DFMT_X8R8G8B8:
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16) | 0xFF000000u;
    case D3DFMT_L8:
      return 0xFF000000u | p[0] * 0x010101u;
    case D3DFMT_A8L8:
      return (static_cast<std::uint32_t>(p[1]) << 24) | p[0] * 0x010101u;
    case D3DFMT_R3G3B2: {
      std::uint32_t r = (p[0] >> 5) & 7u, g = (p[0] >> 2) & 7u, b = p[0] & 3u;
      r = (r << 5) | (r << 2) | (r >> 1);
      g = (g << 5) | (g << 2) | (g >> 1);
      b *= 0x55u;
      return 0xFF000000u | (r << 16) | (g << 8) | b;
    }
    default:
      return 0xFF000000u;
  }
}

// decodeTexel of n texels of one format, the format looked at once: the
// loops are simple enough for the compiler to vectorise.
// bytes: the format's size of a texel.
inline void decodeRow(D3DFORMAT format, UINT bytes, const std::uint8_t* from, std::size_t n,
                      std::uint32_t* to) {
  switch (format) {
    case D3DFMT_L8:
      for (std::size_t x = 0; x < n; ++x) to[x] = 0xFF000000u | from[x] * 0x010101u;
      return;
    case D3DFMT_A8L8:
      for (std::size_t x = 0; x < n; ++x) {
        to[x] = (static_cast<std::uint32_t>(from[2 * x + 1]) << 24) | from[2 * x] * 0x010101u;
      }
      return;
    default:
      for (std::size_t x = 0; x < n; ++x) to[x] = decodeTexel(format, from + x * bytes);
      return;
  }
}

}  // namespace d3d9impl
