#include "image_pyramid.h"

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <stb/stb_image_resize.h>

#include <algorithm>
#include <cstring>

namespace imageload {

std::uint32_t powerOfTwoAtLeast(std::uint32_t n) {
  std::uint32_t size = 1;
  while (size < n) size *= 2;
  return size;
}

std::uint32_t mipLevelCount(std::uint32_t width, std::uint32_t height) {
  std::uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(width / 2, 1u);
    height = std::max(height / 2, 1u);
    ++levels;
  }
  return levels;
}

bool stretch(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
             std::uint32_t width, std::uint32_t height, RgbaImage& out) {
  out.width = width;
  out.height = height;
  out.pixels.assign(std::size_t{width} * height * 4, 0);
  if (width == imageWidth && height == imageHeight) {
    std::memcpy(out.pixels.data(), rgba, out.pixels.size());
    return true;
  }
  // Linear colour space: texels are filtered as the stored numbers, the way
  // the fixed-function sampler will treat them later.
  return stbir_resize_uint8_generic(
             rgba, static_cast<int>(imageWidth), static_cast<int>(imageHeight), 0,
             out.pixels.data(), static_cast<int>(width), static_cast<int>(height), 0, 4, 3, 0,
             STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

RgbaImage halve(const RgbaImage& level) {
  RgbaImage next;
  next.width = std::max(level.width / 2, 1u);
  next.height = std::max(level.height / 2, 1u);
  next.pixels.resize(std::size_t{next.width} * next.height * 4);
  // A side that is already 1 reads its one row or column twice.
  const std::uint32_t dx = level.width > 1 ? 1 : 0;
  const std::uint32_t dy = level.height > 1 ? 1 : 0;
  const std::size_t srcPitch = std::size_t{level.width} * 4;
  for (std::uint32_t y = 0; y < next.height; ++y) {
    const std::uint8_t* row0 = level.pixels.data() + srcPitch * (y * 2);
    const std::uint8_t* row1 = row0 + srcPitch * dy;
    std::uint8_t* dst = next.pixels.data() + std::size_t{next.width} * 4 * y;
    for (std::uint32_t x = 0; x < next.width; ++x) {
      const std::size_t a = std::size_t{x} * 2 * 4;
      const std::size_t b = a + dx * 4;
      for (int c = 0; c < 4; ++c) {
        const unsigned sum = row0[a + c] + row0[b + c] + row1[a + c] + row1[b + c];
        dst[x * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
      }
    }
  }
  return next;
}

}  // namespace imageload
