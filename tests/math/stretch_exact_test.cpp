// stretch's own enlarging path against stb_image_resize's general code: the
// same bytes for every image, size and kind of alpha.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "image_pyramid.h"

namespace {

using imageload::RgbaImage;

enum class Alpha { Opaque, Clear, Random, Holes, Edges };

std::vector<std::uint8_t> randomImage(std::uint32_t w, std::uint32_t h, Alpha alpha,
                                      std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> pixels(std::size_t{w} * h * 4);
  for (std::size_t i = 0; i < pixels.size(); i += 4) {
    for (int c = 0; c < 3; ++c) pixels[i + c] = static_cast<std::uint8_t>(byte(rng));
    int a = 255;
    switch (alpha) {
      case Alpha::Opaque:
        break;
      case Alpha::Clear:
        a = 0;
        break;
      case Alpha::Random:
        a = byte(rng);
        break;
      case Alpha::Holes:  // mostly opaque, some fully clear texels
        a = byte(rng) < 64 ? 0 : 255;
        break;
      case Alpha::Edges:  // only the extremes and their neighbours
        a = std::vector<int>{0, 1, 2, 253, 254, 255}[static_cast<std::size_t>(byte(rng) % 6)];
        break;
    }
    pixels[i + 3] = static_cast<std::uint8_t>(a);
  }
  return pixels;
}

// Reports the first differing texel, so a failure says where and by how much.
void expectSameStretch(const std::vector<std::uint8_t>& pixels, std::uint32_t w, std::uint32_t h,
                       std::uint32_t outW, std::uint32_t outH, const char* what) {
  RgbaImage fast;
  RgbaImage reference;
  ASSERT_TRUE(imageload::stretch(pixels.data(), w, h, outW, outH, fast));
  ASSERT_TRUE(imageload::stretchReference(pixels.data(), w, h, outW, outH, reference));
  ASSERT_EQ(fast.width, outW);
  ASSERT_EQ(fast.height, outH);
  ASSERT_EQ(fast.pixels.size(), reference.pixels.size());
  for (std::size_t i = 0; i < fast.pixels.size(); ++i) {
    if (fast.pixels[i] != reference.pixels[i]) {
      const std::size_t texel = i / 4;
      FAIL() << what << ": " << w << "x" << h << " -> " << outW << "x" << outH << " texel ("
             << texel % outW << ", " << texel / outW << ") channel " << i % 4 << ": "
             << int{fast.pixels[i]} << " instead of " << int{reference.pixels[i]};
    }
  }
}

const char* name(Alpha alpha) {
  switch (alpha) {
    case Alpha::Opaque:
      return "opaque";
    case Alpha::Clear:
      return "clear";
    case Alpha::Random:
      return "random alpha";
    case Alpha::Holes:
      return "holes";
    default:
      return "edge alphas";
  }
}

constexpr Alpha kAlphas[] = {Alpha::Opaque, Alpha::Clear, Alpha::Random, Alpha::Holes,
                             Alpha::Edges};

TEST(StretchExact, TheShowsSizesMatchStbByteForByte) {
  // The pictures' own sizes: 1.6 x 1.0667, the same ratio halved, one side
  // kept and the other enlarged, and a few from the loader's examples.
  const std::uint32_t sizes[][4] = {{640, 480, 1024, 512}, {320, 240, 512, 256}, {64, 48, 64, 64},
                                    {300, 200, 512, 256},  {48, 64, 64, 64},     {1, 1, 2, 2},
                                    {3, 2, 4, 2},          {640, 4, 1024, 4}};
  std::mt19937 rng(1);
  for (const auto& s : sizes) {
    for (Alpha alpha : kAlphas) {
      expectSameStretch(randomImage(s[0], s[1], alpha, rng), s[0], s[1], s[2], s[3], name(alpha));
    }
  }
}

TEST(StretchExact, RandomSizesAndRatiosMatchStbByteForByte) {
  std::mt19937 rng(20240607);
  std::uniform_int_distribution<std::uint32_t> side(1, 96);
  std::uniform_int_distribution<std::uint32_t> extra(0, 160);
  std::uniform_int_distribution<int> pick(0, 4);
  for (int round = 0; round < 400; ++round) {
    const std::uint32_t w = side(rng);
    const std::uint32_t h = side(rng);
    // Every third case keeps a side; the others enlarge by any amount,
    // power of two or not.
    const std::uint32_t outW = round % 3 == 0 ? w : w + extra(rng);
    const std::uint32_t outH = round % 3 == 1 ? h : h + extra(rng);
    const Alpha alpha = kAlphas[pick(rng)];
    expectSameStretch(randomImage(w, h, alpha, rng), w, h, outW, outH, name(alpha));
    if (HasFatalFailure()) return;
  }
}

TEST(StretchExact, PowerOfTwoTargetsOfRandomImagesMatchStb) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<std::uint32_t> side(1, 700);
  std::uniform_int_distribution<int> pick(0, 4);
  for (int round = 0; round < 40; ++round) {
    const std::uint32_t w = side(rng);
    const std::uint32_t h = std::max(1u, side(rng) / 8);
    const Alpha alpha = kAlphas[pick(rng)];
    expectSameStretch(randomImage(w, h, alpha, rng), w, h, imageload::powerOfTwoAtLeast(w),
                      imageload::powerOfTwoAtLeast(h), name(alpha));
    if (HasFatalFailure()) return;
  }
}

TEST(StretchExact, ShrinkingStillMatchesStb) {
  // Not a loader case, but stretch takes any target: it must not change.
  std::mt19937 rng(5);
  expectSameStretch(randomImage(40, 30, Alpha::Random, rng), 40, 30, 16, 30, "shrink width");
  expectSameStretch(randomImage(40, 30, Alpha::Random, rng), 40, 30, 64, 8, "shrink height");
  expectSameStretch(randomImage(40, 30, Alpha::Holes, rng), 40, 30, 7, 5, "shrink both");
}

}  // namespace
