#include "texel_convert.h"

#include <bit>
#include <cstring>

namespace imageload {
namespace {

// Bayer thresholds (i + 0.5) / 16 lie in [1/32, 31/32]; a byte on one of the
// 3- or 2-bit levels is within 0.014 of it after scaling, so those bytes
// never move to a neighbouring level.
constexpr float kBayer[4][4] = {
    {0.5f / 16, 8.5f / 16, 2.5f / 16, 10.5f / 16},
    {12.5f / 16, 4.5f / 16, 14.5f / 16, 6.5f / 16},
    {3.5f / 16, 11.5f / 16, 1.5f / 16, 9.5f / 16},
    {15.5f / 16, 7.5f / 16, 13.5f / 16, 5.5f / 16},
};

unsigned quantize(std::uint8_t value, unsigned maxLevel, float threshold) {
  const unsigned level =
      static_cast<unsigned>(value * static_cast<float>(maxLevel) / 255.0f + threshold);
  return level > maxLevel ? maxLevel : level;
}

// The rows below are read and written as little-endian words (byte 0 the
// low one), so that the compiler can convert several texels at once.
static_assert(std::endian::native == std::endian::little);

// ARGB words: blue first. R and B trade places in each word.
void writeArgbRow(const std::uint8_t* src, std::uint32_t width, std::uint32_t fill,
                  std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < width; ++x, src += 4, dst += 4) {
    std::uint32_t rgba;
    std::memcpy(&rgba, src, 4);
    const std::uint32_t argb =
        (rgba & 0xFF00FF00u) | ((rgba >> 16) & 0xFFu) | ((rgba & 0xFFu) << 16) | fill;
    std::memcpy(dst, &argb, 4);
  }
}

// Grey images arrive with R = G = B: the grey is the red byte.
void writeGreyRow(const std::uint8_t* src, std::uint32_t width, std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < width; ++x, src += 4) {
    std::uint32_t rgba;
    std::memcpy(&rgba, src, 4);
    dst[x] = static_cast<std::uint8_t>(rgba);
  }
}

// Little-endian A8L8 words: grey first, then alpha.
void writeGreyAlphaRow(const std::uint8_t* src, std::uint32_t width, std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < width; ++x, src += 4, dst += 2) {
    std::uint32_t rgba;
    std::memcpy(&rgba, src, 4);
    const auto texel = static_cast<std::uint16_t>((rgba & 0xFFu) | ((rgba >> 16) & 0xFF00u));
    std::memcpy(dst, &texel, 2);
  }
}

void writeR3G3B2Row(const std::uint8_t* src, std::uint32_t width, std::uint32_t y,
                    std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < width; ++x, src += 4) {
    const float t = kBayer[y & 3][x & 3];
    *dst++ = static_cast<std::uint8_t>((quantize(src[0], 7, t) << 5) |
                                       (quantize(src[1], 7, t) << 2) | quantize(src[2], 3, t));
  }
}

}  // namespace

std::uint32_t bytesPerTexel(vk_texel_format format) {
  switch (format) {
    case VK_TEXEL_L8:
    case VK_TEXEL_R3G3B2:
      return 1;
    case VK_TEXEL_A8L8:
      return 2;
    default:
      return 4;
  }
}

void writeTexels(const RgbaImage& level, vk_texel_format format, std::uint8_t* bits,
                 std::ptrdiff_t pitch) {
  for (std::uint32_t y = 0; y < level.height; ++y) {
    const std::uint8_t* src = level.pixels.data() + std::size_t{level.width} * 4 * y;
    std::uint8_t* dst = bits + pitch * static_cast<std::ptrdiff_t>(y);
    switch (format) {
      case VK_TEXEL_A8R8G8B8:
        writeArgbRow(src, level.width, 0, dst);
        break;
      case VK_TEXEL_X8R8G8B8:
        writeArgbRow(src, level.width, 0xFF000000u, dst);
        break;
      case VK_TEXEL_L8:
        writeGreyRow(src, level.width, dst);
        break;
      case VK_TEXEL_A8L8:
        writeGreyAlphaRow(src, level.width, dst);
        break;
      case VK_TEXEL_R3G3B2:
        writeR3G3B2Row(src, level.width, y, dst);
        break;
      default:
        // No such format comes from the decoder; the texels are not left
        // unset all the same, as bytesPerTexel counts four bytes for it.
        std::memset(dst, 0, std::size_t{level.width} * 4);
        break;
    }
  }
}

}  // namespace imageload
