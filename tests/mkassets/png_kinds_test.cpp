// The PNG kinds written back through libpng: packing, keys and palettes.
#include "png_kinds.h"

#include <gtest/gtest.h>
#include <png.h>

#include <string>

#include "png_read.h"
#include "text_renderer.h"

namespace {

DecodedPng roundTrip(const PngImage& image, const std::string& name) {
  std::string path = ::testing::TempDir() + "/mkassets_" + name + ".png";
  EXPECT_TRUE(writePng(path, image));
  return readPng(path);
}

TEST(PngKinds, FourBitPaletteWithOddWidthPacksEveryPixel) {
  // 5 pixels a row: the last byte of each row is half used.
  Canvas c(5, 3);
  c.paint([](float u, float v) {
    return Rgba{u, u, u, v < 0.4f ? 0.0f : (v < 0.7f ? 0.5f : 1.0f)};
  });
  DecodedPng p = roundTrip(asPalette(c, {{{0, 0, 0, 1}, {1, 1, 1, 1}}, 5, 3, 4}), "pal4");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.bitDepth, 4);
  EXPECT_EQ(p.paletteSize, 11);                   // one clear entry, five greys at two opacities
  const int nearest[5] = {0, 64, 128, 191, 255};  // the ramp's entries at 0, 1/4, ...
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(p.at(x, 0)[3], 0);
    EXPECT_EQ(p.at(x, 1)[3], 128);
    EXPECT_EQ(p.at(x, 2)[3], 255);
    EXPECT_EQ(p.at(x, 2)[0], nearest[x]) << x;
  }
}

TEST(PngKinds, OpaquePaletteHasNoTransparency) {
  Canvas c(4, 4, Rgba{0.2f, 0.4f, 0.6f, 1});
  DecodedPng p = roundTrip(asPalette(c, {{{0.2f, 0.4f, 0.6f, 1}}, 1, 1, 1}), "pal1");
  ASSERT_TRUE(p.ok);
  EXPECT_FALSE(p.trns);
  EXPECT_EQ(p.bitDepth, 1);
  EXPECT_EQ(p.at(3, 3)[2], 153);
  EXPECT_EQ(p.at(3, 3)[3], 255);
}

TEST(PngKinds, ColourKeyHidesOnlyTheClearPixels) {
  Canvas c(3, 1);
  c.at(0, 0) = Rgba{0, 0, 0, 0};  // clear: becomes the key
  c.at(1, 0) = Rgba{0, 0, 0, 1};  // opaque but equal to the key: must stay visible
  c.at(2, 0) = Rgba{1, 0.5f, 0, 1};
  DecodedPng rgb = roundTrip(asRgbWithKey(c, Rgba{0, 0, 0, 1}), "rgbkey");
  ASSERT_TRUE(rgb.ok);
  EXPECT_TRUE(rgb.trns);
  EXPECT_EQ(rgb.at(0, 0)[3], 0);
  EXPECT_EQ(rgb.at(1, 0)[3], 255);
  EXPECT_LE(rgb.at(1, 0)[2], 1);
  EXPECT_EQ(rgb.at(2, 0)[0], 255);
  EXPECT_EQ(rgb.at(2, 0)[3], 255);

  DecodedPng grey = roundTrip(asGreyWithKey(c, 0.0f), "greykey");
  ASSERT_TRUE(grey.ok);
  EXPECT_EQ(grey.colorType, PNG_COLOR_TYPE_GRAY);
  EXPECT_EQ(grey.at(0, 0)[3], 0);
  EXPECT_EQ(grey.at(1, 0)[3], 255);
}

TEST(PngKinds, WritingIntoAMissingFolderFails) {
  EXPECT_FALSE(writePng(::testing::TempDir() + "/no/such/folder/x.png", asRgb(Canvas(1, 1))));
}

TEST(TextRenderer, WideningAppliesToTheLayoutToo) {
  TextRenderer font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  ASSERT_TRUE(font.ok());
  TextStyle plain, wide;
  wide.stretchX = 1.5f;
  int narrow = font.measure("vorkast05", plain);
  EXPECT_NEAR(font.measure("vorkast05", wide), narrow * 1.5, narrow * 0.05);

  Canvas c(200, 60);
  font.draw(c, "vorkast05", 100, 45, plain);
  int left = 200, right = -1;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (c.at(x, y).a > 0.5f) left = std::min(left, x), right = std::max(right, x);
    }
  }
  EXPECT_NEAR((left + right) / 2.0, 100.0, 4.0) << "centred";
  EXPECT_FALSE(TextRenderer("/no/such/font.ttf").ok());
}

}  // namespace
