// The texel work of the loader: the image stretched over a power-of-two
// level 0 and the mip chain below it, all as 8-bit RGBA.
#pragma once

#include <cstdint>
#include <vector>

namespace imageload {

struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // R G B A, top row first, no padding
};

// The smallest power of two not below n (n >= 1).
std::uint32_t powerOfTwoAtLeast(std::uint32_t n);

// Levels of a full chain from width x height down to 1 x 1.
std::uint32_t mipLevelCount(std::uint32_t width, std::uint32_t height);

// Stretches the image over width x height texels with the triangle filter,
// weighting colour by alpha. False when the resampler runs out of memory.
bool stretch(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
             std::uint32_t width, std::uint32_t height, RgbaImage& out);

// The same through stb_image_resize's general code alone: what stretch's
// own enlarging path must match byte for byte.
bool stretchReference(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
                      std::uint32_t width, std::uint32_t height, RgbaImage& out);

// The next level down: each texel the rounded mean of a 2 x 2 block (1 x 2 or
// 2 x 1 once a side has reached 1).
RgbaImage halve(const RgbaImage& level);

}  // namespace imageload
