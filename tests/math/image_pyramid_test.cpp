// Level 0 stretching, the box-filtered chain and the texel layouts.
#include "image_pyramid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "texel_convert.h"

namespace {

using imageload::RgbaImage;

RgbaImage image(std::uint32_t w, std::uint32_t h, std::vector<std::uint8_t> pixels) {
  RgbaImage out;
  out.width = w;
  out.height = h;
  out.pixels = std::move(pixels);
  return out;
}

TEST(PyramidSize, PowersOfTwoAndLevelCounts) {
  EXPECT_EQ(imageload::powerOfTwoAtLeast(1), 1u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(3), 4u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(256), 256u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(257), 512u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(640), 1024u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(480), 512u);
  EXPECT_EQ(imageload::powerOfTwoAtLeast(8192), 8192u);
  EXPECT_EQ(imageload::mipLevelCount(1024, 512), 11u);
  EXPECT_EQ(imageload::mipLevelCount(512, 256), 10u);
  EXPECT_EQ(imageload::mipLevelCount(1, 1), 1u);
  EXPECT_EQ(imageload::mipLevelCount(1, 8), 4u);
}

TEST(PyramidStretch, SameSizeIsAnExactCopy) {
  std::vector<std::uint8_t> pixels(4 * 4 * 4);
  std::iota(pixels.begin(), pixels.end(), std::uint8_t{0});
  RgbaImage out;
  ASSERT_TRUE(imageload::stretch(pixels.data(), 4, 4, 4, 4, out));
  EXPECT_EQ(out.pixels, pixels);
}

TEST(PyramidStretch, FillsTheWholeLevelAndKeepsFlatAreasFlat) {
  // 3 x 2: left column red, the rest white; stretched to 4 x 2.
  std::vector<std::uint8_t> pixels(3 * 2 * 4, 255);
  for (int y = 0; y < 2; ++y) pixels[y * 12 + 1] = pixels[y * 12 + 2] = 0;
  RgbaImage out;
  ASSERT_TRUE(imageload::stretch(pixels.data(), 3, 2, 4, 2, out));
  ASSERT_EQ(out.pixels.size(), 4u * 2 * 4);
  for (std::uint32_t y = 0; y < 2; ++y) {
    const std::uint8_t* row = &out.pixels[y * 16];
    EXPECT_EQ(row[0], 255);
    EXPECT_LT(row[1], 128) << "the red column reaches the left edge";
    EXPECT_EQ(row[3 * 4 + 1], 255) << "white reaches the right edge";
    for (int x = 0; x < 4; ++x) EXPECT_EQ(row[x * 4 + 3], 255);
  }
}

TEST(PyramidStretch, TransparentLeftHalfStaysTransparent) {
  const std::uint32_t w = 640, h = 4;
  std::vector<std::uint8_t> pixels(std::size_t{w} * h * 4);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint8_t* p = &pixels[(y * w + x) * 4];
      p[0] = p[1] = p[2] = 200;
      p[3] = x < w / 2 ? 0 : 255;
    }
  }
  RgbaImage out;
  ASSERT_TRUE(imageload::stretch(pixels.data(), w, h, 1024, 4, out));
  for (std::uint32_t x = 0; x < 1024; ++x) {
    const std::uint8_t alpha = out.pixels[x * 4 + 3];
    if (x < 510) {
      EXPECT_EQ(alpha, 0) << x;
    } else if (x > 513) {
      EXPECT_EQ(alpha, 255) << x;
    }
  }
  // Colour is weighted by alpha: the opaque side is not darkened by the
  // transparent texels next to it.
  EXPECT_NEAR(out.pixels[514 * 4], 200, 1);
}

TEST(PyramidHalve, BoxFilterRoundsAndStopsASideAtOne) {
  const auto square =
      imageload::halve(image(2, 2, {0, 10, 255, 1, 1, 10, 255, 1, 0, 11, 0, 0, 1, 11, 0, 1}));
  ASSERT_EQ(square.width, 1u);
  ASSERT_EQ(square.height, 1u);
  // (0+1+0+1)/4 = 0.5 rounds up; (10+10+11+11)/4 = 10.5; 510/4 = 127.5; 3/4.
  EXPECT_EQ(square.pixels, (std::vector<std::uint8_t>{1, 11, 128, 1}));

  const auto column = imageload::halve(
      image(1, 4, {0, 0, 0, 0, 100, 100, 100, 100, 10, 10, 10, 10, 20, 20, 20, 20}));
  ASSERT_EQ(column.width, 1u);
  ASSERT_EQ(column.height, 2u);
  EXPECT_EQ(column.pixels, (std::vector<std::uint8_t>{50, 50, 50, 50, 15, 15, 15, 15}));

  const auto row = imageload::halve(image(2, 1, {40, 0, 0, 255, 0, 0, 0, 255}));
  EXPECT_EQ(row.pixels, (std::vector<std::uint8_t>{20, 0, 0, 255}));
}

TEST(TexelLayout, EachFormatsBytesAndThePitch) {
  const auto px = image(2, 1, {10, 20, 30, 40, 50, 60, 70, 80});
  std::vector<std::uint8_t> bits(2 * 16, 0xEE);  // pitch 16: padding must stay
  imageload::writeTexels(px, VK_TEXEL_A8R8G8B8, bits.data(), 16);
  EXPECT_EQ(std::vector<std::uint8_t>(bits.begin(), bits.begin() + 8),
            (std::vector<std::uint8_t>{30, 20, 10, 40, 70, 60, 50, 80}));
  EXPECT_EQ(bits[8], 0xEE);
  imageload::writeTexels(px, VK_TEXEL_X8R8G8B8, bits.data(), 16);
  EXPECT_EQ(bits[3], 0xFF);
  EXPECT_EQ(bits[7], 0xFF);

  const auto grey = image(1, 2, {90, 90, 90, 7, 30, 30, 30, 8});
  std::vector<std::uint8_t> l8(2 * 4, 0xEE);
  imageload::writeTexels(grey, VK_TEXEL_L8, l8.data(), 4);
  EXPECT_EQ(l8, (std::vector<std::uint8_t>{90, 0xEE, 0xEE, 0xEE, 30, 0xEE, 0xEE, 0xEE}));
  std::vector<std::uint8_t> a8l8(4);
  imageload::writeTexels(grey, VK_TEXEL_A8L8, a8l8.data(), 2);
  EXPECT_EQ(a8l8, (std::vector<std::uint8_t>{90, 7, 30, 8}));
  EXPECT_EQ(imageload::bytesPerTexel(VK_TEXEL_A8L8), 2u);
  EXPECT_EQ(imageload::bytesPerTexel(VK_TEXEL_R3G3B2), 1u);
}

TEST(TexelLayout, R3G3B2KeepsItsOwnLevelsAndDithersTheRest) {
  auto bits3 = [](unsigned v) { return static_cast<std::uint8_t>((v << 5) | (v << 2) | (v >> 1)); };
  // Every R3G3B2 colour, 16 x 16, through the dither unchanged.
  RgbaImage ramp;
  ramp.width = ramp.height = 16;
  for (unsigned i = 0; i < 256; ++i) {
    ramp.pixels.insert(ramp.pixels.end(), {bits3(i >> 5), bits3((i >> 2) & 7),
                                           static_cast<std::uint8_t>((i & 3) * 85), 255});
  }
  std::vector<std::uint8_t> out(256);
  imageload::writeTexels(ramp, VK_TEXEL_R3G3B2, out.data(), 16);
  for (unsigned i = 0; i < 256; ++i) EXPECT_EQ(out[i], i);

  // A flat colour between levels: the 4 x 4 pattern averages back to it.
  RgbaImage flat;
  flat.width = flat.height = 4;
  for (int i = 0; i < 16; ++i) flat.pixels.insert(flat.pixels.end(), {100, 100, 100, 255});
  std::vector<std::uint8_t> dithered(16);
  imageload::writeTexels(flat, VK_TEXEL_R3G3B2, dithered.data(), 4);
  double red = 0, blue = 0;
  for (std::uint8_t t : dithered) {
    red += bits3(t >> 5);
    blue += (t & 3) * 85;
  }
  EXPECT_NEAR(red / 16, 100, 255.0 / 7 / 16 + 1);
  EXPECT_NEAR(blue / 16, 100, 85.0 / 16 + 1);
  EXPECT_NE(dithered.front(), dithered.back()) << "not dithered at all";
}

// Every size class the chain meets: wide, tall, odd, and the sides of 1,
// against the definition of a texel of the next level.
TEST(PyramidHalve, RandomLevelsGiveTheRoundedMeanOfEachBlock) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::uint32_t sizes[][2] = {{1024, 512}, {2, 2},  {1, 16}, {16, 1}, {3, 3},
                                    {9, 5},      {10, 6}, {17, 2}, {2, 17}, {64, 64}};
  for (const auto& s : sizes) {
    RgbaImage level;
    level.width = s[0];
    level.height = s[1];
    level.pixels.resize(std::size_t{s[0]} * s[1] * 4);
    for (auto& b : level.pixels) b = static_cast<std::uint8_t>(byte(rng));
    const RgbaImage next = imageload::halve(level);
    ASSERT_EQ(next.width, std::max(s[0] / 2, 1u));
    ASSERT_EQ(next.height, std::max(s[1] / 2, 1u));
    auto at = [&](std::uint32_t x, std::uint32_t y, int c) {
      return unsigned{level.pixels[(std::size_t{y} * level.width + x) * 4 + c]};
    };
    for (std::uint32_t y = 0; y < next.height; ++y) {
      for (std::uint32_t x = 0; x < next.width; ++x) {
        const std::uint32_t x1 = std::min(2 * x + 1, level.width - 1);
        const std::uint32_t y1 = std::min(2 * y + 1, level.height - 1);
        for (int c = 0; c < 4; ++c) {
          const unsigned sum =
              at(2 * x, 2 * y, c) + at(x1, 2 * y, c) + at(2 * x, y1, c) + at(x1, y1, c);
          ASSERT_EQ(next.pixels[(std::size_t{y} * next.width + x) * 4 + c], (sum + 2) / 4)
              << s[0] << "x" << s[1] << " texel (" << x << ", " << y << ") channel " << c;
        }
      }
    }
  }
}

TEST(TexelLayout, ArgbWordsOfRandomRowsOfAnyLength) {
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::uint32_t w : {1u, 3u, 4u, 5u, 17u, 1024u}) {
    RgbaImage row;
    row.width = w;
    row.height = 2;
    row.pixels.resize(std::size_t{w} * 2 * 4);
    for (auto& b : row.pixels) b = static_cast<std::uint8_t>(byte(rng));
    const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(w) * 4 + 8;
    for (vk_texel_format format : {VK_TEXEL_A8R8G8B8, VK_TEXEL_X8R8G8B8}) {
      std::vector<std::uint8_t> bits(static_cast<std::size_t>(pitch) * 2, 0xEE);
      imageload::writeTexels(row, format, bits.data(), pitch);
      for (std::uint32_t y = 0; y < 2; ++y) {
        for (std::uint32_t x = 0; x < w; ++x) {
          const std::uint8_t* src = &row.pixels[(std::size_t{y} * w + x) * 4];
          const std::uint8_t* dst = &bits[static_cast<std::size_t>(pitch) * y + x * 4];
          EXPECT_EQ(dst[0], src[2]);
          EXPECT_EQ(dst[1], src[1]);
          EXPECT_EQ(dst[2], src[0]);
          EXPECT_EQ(dst[3], format == VK_TEXEL_A8R8G8B8 ? src[3] : 0xFF);
        }
        EXPECT_EQ(bits[static_cast<std::size_t>(pitch) * y + w * 4], 0xEE) << "padding kept";
      }
    }
  }
}

}  // namespace
