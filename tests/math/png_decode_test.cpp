// The PNG decoder: which texel format each kind of file asks for, what its
// samples become, and that damaged or hostile files fail cleanly.
#include "png_decode.h"

#include <gtest/gtest.h>

#include <cmath>

#include "png_writer.h"

namespace {

using testpng::PngSpec;

struct Decoded {
  vk_png_result result = VK_PNG_CORRUPT;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  vk_texel_format format = VK_TEXEL_A8R8G8B8;
  std::vector<std::uint8_t> rgba;
};

Decoded decode(const std::vector<std::uint8_t>& file,
               vk_png_limits limits = {8192, std::uint64_t{1} << 24}) {
  vk_png_image image;
  Decoded out;
  out.result = vk_png_decode(file.data(), file.size(), &limits, &image);
  if (out.result == VK_PNG_OK) {
    out.width = image.width;
    out.height = image.height;
    out.format = image.format;
    out.rgba.assign(image.rgba, image.rgba + std::size_t{image.width} * image.height * 4);
  } else {
    EXPECT_EQ(image.rgba, nullptr);
  }
  vk_png_free(&image);
  return out;
}

std::vector<std::uint8_t> pixelAt(const Decoded& d, std::uint32_t x, std::uint32_t y) {
  const std::size_t i = (std::size_t{y} * d.width + x) * 4;
  return {d.rgba[i], d.rgba[i + 1], d.rgba[i + 2], d.rgba[i + 3]};
}

using Rgba = std::vector<std::uint8_t>;

PngSpec withPalette(std::vector<png_color> palette, std::vector<std::uint16_t> indices) {
  PngSpec spec;
  spec.width = static_cast<std::uint32_t>(indices.size());
  spec.colorType = PNG_COLOR_TYPE_PALETTE;
  spec.palette = std::move(palette);
  spec.samples = std::move(indices);
  return spec;
}

std::vector<png_color> greyRamp(int count) {
  std::vector<png_color> palette;
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<png_byte>(i);
    palette.push_back({v, v, v});
  }
  return palette;
}

std::vector<png_color> ramp332() {
  auto bits3 = [](unsigned v) { return static_cast<png_byte>((v << 5) | (v << 2) | (v >> 1)); };
  std::vector<png_color> palette;
  for (unsigned i = 0; i < 256; ++i) {
    palette.push_back({bits3(i >> 5), bits3((i >> 2) & 7), static_cast<png_byte>((i & 3) * 85)});
  }
  return palette;
}

TEST(PngFormat, ColourFilesKeepAlphaOnlyWhereTheyHaveIt) {
  const auto rgba =
      decode(testpng::encode(testpng::solid(3, 2, PNG_COLOR_TYPE_RGBA, {10, 20, 30, 40})));
  ASSERT_EQ(rgba.result, VK_PNG_OK);
  EXPECT_EQ(rgba.format, VK_TEXEL_A8R8G8B8);
  EXPECT_EQ(rgba.width, 3u);
  EXPECT_EQ(rgba.height, 2u);
  EXPECT_EQ(pixelAt(rgba, 2, 1), (Rgba{10, 20, 30, 40}));

  const auto rgb = decode(testpng::encode(testpng::solid(2, 2, PNG_COLOR_TYPE_RGB, {1, 2, 3})));
  ASSERT_EQ(rgb.result, VK_PNG_OK);
  EXPECT_EQ(rgb.format, VK_TEXEL_X8R8G8B8);
  EXPECT_EQ(pixelAt(rgb, 1, 1), (Rgba{1, 2, 3, 255}));

  PngSpec keyed;
  keyed.width = 2;
  keyed.colorType = PNG_COLOR_TYPE_RGB;
  keyed.samples = {5, 6, 7, 8, 9, 10};
  keyed.transparentColour = png_color_16{0, 5, 6, 7, 0};
  const auto trns = decode(testpng::encode(keyed));
  ASSERT_EQ(trns.result, VK_PNG_OK);
  EXPECT_EQ(trns.format, VK_TEXEL_A8R8G8B8);
  EXPECT_EQ(pixelAt(trns, 0, 0)[3], 0);
  EXPECT_EQ(pixelAt(trns, 1, 0), (Rgba{8, 9, 10, 255}));
}

TEST(PngFormat, GreyFilesBecomeLuminanceWithAlphaWhereTheyHaveIt) {
  const auto grey = decode(testpng::encode(testpng::solid(2, 1, PNG_COLOR_TYPE_GRAY, {77})));
  ASSERT_EQ(grey.result, VK_PNG_OK);
  EXPECT_EQ(grey.format, VK_TEXEL_L8);
  EXPECT_EQ(pixelAt(grey, 1, 0), (Rgba{77, 77, 77, 255}));

  const auto ga =
      decode(testpng::encode(testpng::solid(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, {90, 33})));
  ASSERT_EQ(ga.result, VK_PNG_OK);
  EXPECT_EQ(ga.format, VK_TEXEL_A8L8);
  EXPECT_EQ(pixelAt(ga, 0, 0), (Rgba{90, 90, 90, 33}));

  PngSpec keyed;
  keyed.width = 2;
  keyed.colorType = PNG_COLOR_TYPE_GRAY;
  keyed.samples = {12, 200};
  keyed.transparentColour = png_color_16{0, 0, 0, 0, 12};
  const auto trns = decode(testpng::encode(keyed));
  ASSERT_EQ(trns.result, VK_PNG_OK);
  EXPECT_EQ(trns.format, VK_TEXEL_A8L8);
  EXPECT_EQ(pixelAt(trns, 0, 0)[3], 0);
  EXPECT_EQ(pixelAt(trns, 1, 0), (Rgba{200, 200, 200, 255}));
}

TEST(PngFormat, LowBitDepthsAreUnpackedToFullRange) {
  for (int depth : {1, 2, 4}) {
    PngSpec spec;
    spec.width = 3;
    spec.colorType = PNG_COLOR_TYPE_GRAY;
    spec.bitDepth = depth;
    const auto top = static_cast<std::uint16_t>((1 << depth) - 1);
    spec.samples = {0, top, static_cast<std::uint16_t>(top / 2)};
    const auto d = decode(testpng::encode(spec));
    ASSERT_EQ(d.result, VK_PNG_OK) << depth;
    EXPECT_EQ(d.format, VK_TEXEL_L8);
    EXPECT_EQ(pixelAt(d, 0, 0)[0], 0) << depth;
    EXPECT_EQ(pixelAt(d, 1, 0)[0], 255) << depth;
    EXPECT_EQ(pixelAt(d, 2, 0)[0], (top / 2) * 255 / top) << depth;
  }
  // A 2-bit palette image: indices unpacked and looked up.
  auto spec = withPalette({{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {2, 0, 1, 2, 2});
  spec.bitDepth = 2;
  const auto d = decode(testpng::encode(spec));
  ASSERT_EQ(d.result, VK_PNG_OK);
  EXPECT_EQ(pixelAt(d, 0, 0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(pixelAt(d, 2, 0), (Rgba{0, 255, 0, 255}));
}

TEST(PngFormat, SixteenBitSamplesAreReducedToEight) {
  const auto d = decode(
      testpng::encode(testpng::solid(2, 2, PNG_COLOR_TYPE_RGBA, {0xFFFF, 0x8000, 0x0101, 0}, 16)));
  ASSERT_EQ(d.result, VK_PNG_OK);
  EXPECT_EQ(d.format, VK_TEXEL_A8R8G8B8);
  const auto p = pixelAt(d, 1, 1);
  EXPECT_EQ(p[0], 255);
  EXPECT_NEAR(p[1], 128, 1);
  EXPECT_EQ(p[2], 1);
  EXPECT_EQ(p[3], 0);
}

TEST(PngFormat, PaletteFilesByTheirEntries) {
  const std::vector<png_color> colours = {{200, 10, 10}, {10, 200, 10}};
  auto opaque = decode(testpng::encode(withPalette(colours, {0, 1})));
  ASSERT_EQ(opaque.result, VK_PNG_OK);
  EXPECT_EQ(opaque.format, VK_TEXEL_X8R8G8B8);
  EXPECT_EQ(pixelAt(opaque, 1, 0), (Rgba{10, 200, 10, 255}));

  auto spec = withPalette(colours, {0, 1});
  spec.paletteAlpha = {255, 64};
  auto translucent = decode(testpng::encode(spec));
  ASSERT_EQ(translucent.result, VK_PNG_OK);
  EXPECT_EQ(translucent.format, VK_TEXEL_A8R8G8B8);
  EXPECT_EQ(pixelAt(translucent, 1, 0), (Rgba{10, 200, 10, 64}));

  // A tRNS chunk that makes nothing transparent leaves the palette opaque.
  spec.paletteAlpha = {255, 255};
  EXPECT_EQ(decode(testpng::encode(spec)).format, VK_TEXEL_X8R8G8B8);
}

TEST(PngFormat, RampPalettesBecomeTheFormatsTheyStandFor) {
  const auto full = decode(testpng::encode(withPalette(greyRamp(256), {0, 128, 255})));
  ASSERT_EQ(full.result, VK_PNG_OK);
  EXPECT_EQ(full.format, VK_TEXEL_L8);
  EXPECT_EQ(pixelAt(full, 1, 0), (Rgba{128, 128, 128, 255}));

  // Only the entries present have to follow the ramp.
  const auto partial = decode(testpng::encode(withPalette(greyRamp(16), {3, 15})));
  EXPECT_EQ(partial.format, VK_TEXEL_L8);
  EXPECT_EQ(pixelAt(partial, 1, 0)[0], 15);

  const auto rgb332 = decode(testpng::encode(withPalette(ramp332(), {0xE0, 0x1C, 0x03, 0xFF})));
  ASSERT_EQ(rgb332.result, VK_PNG_OK);
  EXPECT_EQ(rgb332.format, VK_TEXEL_R3G3B2);
  EXPECT_EQ(pixelAt(rgb332, 0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(pixelAt(rgb332, 2, 0), (Rgba{0, 0, 255, 255}));

  auto nearly = greyRamp(256);
  nearly[200].green = 201;
  EXPECT_EQ(decode(testpng::encode(withPalette(nearly, {0}))).format, VK_TEXEL_X8R8G8B8);
  auto nearly332 = ramp332();
  nearly332[7].blue = 0;
  EXPECT_EQ(decode(testpng::encode(withPalette(nearly332, {0}))).format, VK_TEXEL_X8R8G8B8);

  // A ramp with transparent entries keeps its alpha.
  auto keyed = withPalette(greyRamp(256), {0, 1});
  keyed.paletteAlpha = {0};
  EXPECT_EQ(decode(testpng::encode(keyed)).format, VK_TEXEL_A8R8G8B8);
}

TEST(PngFormat, InterlacedFilesDecodeLikePlainOnes) {
  PngSpec spec;
  spec.width = 9;
  spec.height = 7;
  spec.colorType = PNG_COLOR_TYPE_RGB;
  for (std::uint16_t i = 0; i < 9 * 7 * 3; ++i)
    spec.samples.push_back(static_cast<std::uint16_t>(i));
  const auto plain = decode(testpng::encode(spec));
  spec.interlaced = true;
  const auto interlaced = decode(testpng::encode(spec));
  ASSERT_EQ(interlaced.result, VK_PNG_OK);
  EXPECT_EQ(interlaced.rgba, plain.rgba);
}

TEST(PngGamma, OnlyAFileGammaFarFromTheDisplaysChangesColours) {
  auto grey = testpng::solid(1, 1, PNG_COLOR_TYPE_RGB, {128, 64, 200});
  const Rgba original = {128, 64, 200, 255};
  EXPECT_EQ(pixelAt(decode(testpng::encode(grey)), 0, 0), original);

  grey.gamma = 0.45455;
  EXPECT_EQ(pixelAt(decode(testpng::encode(grey)), 0, 0), original);

  grey.gamma = 1.0;
  const auto linear = pixelAt(decode(testpng::encode(grey)), 0, 0);
  // Encoded for display gamma 1.0, shown on 2.2: raised to 1/2.2.
  EXPECT_NEAR(linear[0], std::lround(255 * std::pow(128 / 255.0, 1 / 2.2)), 1);
  EXPECT_GT(linear[1], 64 + 40);
  EXPECT_EQ(linear[3], 255);

  // sRGB says how to show the file; a gAMA beside it is not applied. libpng
  // will not write the pair, so the sRGB chunk goes in by hand after IHDR.
  auto file = testpng::encode(grey);
  const auto srgb = testpng::chunk("sRGB", {0});
  file.insert(file.begin() + 33, srgb.begin(), srgb.end());
  const auto marked = decode(file);
  ASSERT_EQ(marked.result, VK_PNG_OK);
  EXPECT_EQ(pixelAt(marked, 0, 0), original);
}

TEST(PngHostile, NonPngAndEmptyInputAreRefused) {
  EXPECT_EQ(decode({}).result, VK_PNG_NOT_PNG);
  EXPECT_EQ(decode({0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0}).result,
            VK_PNG_NOT_PNG);
  EXPECT_EQ(decode({0x89, 'P', 'N', 'G'}).result, VK_PNG_NOT_PNG);
  auto junk = testpng::headerOnly(4, 4);
  junk.resize(8);
  junk.insert(junk.end(), 64, 0xAB);
  EXPECT_EQ(decode(junk).result, VK_PNG_CORRUPT);
}

TEST(PngHostile, EveryTruncationFails) {
  PngSpec spec = testpng::solid(5, 5, PNG_COLOR_TYPE_RGBA, {1, 2, 3, 4});
  spec.gamma = 0.45455;
  const auto file = testpng::encode(spec);
  ASSERT_EQ(decode(file).result, VK_PNG_OK);
  for (std::size_t length = 0; length < file.size(); ++length) {
    const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(length));
    EXPECT_NE(decode(cut).result, VK_PNG_OK) << "cut at " << length << " of " << file.size();
  }
}

TEST(PngHostile, ABadCrcInAnyChunkFails) {
  PngSpec spec = testpng::solid(4, 4, PNG_COLOR_TYPE_RGB, {9, 9, 9});
  spec.gamma = 0.45455;
  const auto file = testpng::encode(spec);
  for (const char* type : {"IHDR", "gAMA", "IDAT", "IEND"}) {
    const std::size_t at = testpng::findChunk(file, type);
    ASSERT_NE(at, std::string::npos) << type;
    const std::uint32_t length = (std::uint32_t{file[at + 2]} << 8) | file[at + 3];
    auto damaged = file;
    damaged[at + 8 + length] ^= 0x01;  // first CRC byte
    EXPECT_EQ(decode(damaged).result, VK_PNG_CORRUPT) << type;
  }
  // Damaged image data under a matching CRC: zlib's own check catches it.
  const std::size_t idat = testpng::findChunk(file, "IDAT");
  const std::uint32_t idatLength = (std::uint32_t{file[idat + 2]} << 8) | file[idat + 3];
  std::vector<std::uint8_t> data(file.begin() + static_cast<long>(idat) + 8,
                                 file.begin() + static_cast<long>(idat + 8 + idatLength));
  data[data.size() - 2] ^= 0xFF;  // inside the Adler-32
  auto rebuilt = std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<long>(idat));
  const auto chunk = testpng::chunk("IDAT", data);
  rebuilt.insert(rebuilt.end(), chunk.begin(), chunk.end());
  rebuilt.insert(rebuilt.end(), file.begin() + static_cast<long>(idat + 12 + idatLength),
                 file.end());
  EXPECT_EQ(decode(rebuilt).result, VK_PNG_CORRUPT);
}

TEST(PngHostile, HugeSizesAreRefusedBeforeAnyPixelMemory) {
  EXPECT_EQ(decode(testpng::headerOnly(100000, 100000)).result, VK_PNG_TOO_LARGE);
  EXPECT_EQ(decode(testpng::headerOnly(8193, 1)).result, VK_PNG_TOO_LARGE);
  EXPECT_EQ(decode(testpng::headerOnly(1, 8193)).result, VK_PNG_TOO_LARGE);
  // Within the side limit but past the pixel cap.
  EXPECT_EQ(decode(testpng::headerOnly(8192, 4096)).result, VK_PNG_TOO_LARGE);
  // Zero or out-of-range sizes are libpng's to reject.
  EXPECT_EQ(decode(testpng::headerOnly(0x7FFFFFFF, 0x7FFFFFFF)).result, VK_PNG_CORRUPT);
  EXPECT_EQ(decode(testpng::headerOnly(0, 4)).result, VK_PNG_CORRUPT);
  EXPECT_EQ(decode(testpng::headerOnly(0x80000000u, 1)).result, VK_PNG_CORRUPT);
  // Under the cap the same header passes the size check and fails on its rows.
  EXPECT_EQ(decode(testpng::headerOnly(64, 64)).result, VK_PNG_CORRUPT);
}

}  // namespace
