// Writes the PNG fuzzer's seed corpus: one small file of each kind the
// loader tells apart. Usage: fuzz_png_seeds SEED_DIR [EMPTY_DIR...]
#include <cstdio>
#include <filesystem>
#include <string>

#include "png_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_DIR [EMPTY_DIR...]\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) std::filesystem::create_directories(argv[i]);
  const std::filesystem::path seeds = argv[1];

  testpng::PngSpec rgba = testpng::solid(5, 3, PNG_COLOR_TYPE_RGBA, {10, 200, 30, 128});
  testpng::PngSpec grey = testpng::solid(7, 2, PNG_COLOR_TYPE_GRAY, {2}, 2);
  grey.gamma = 1.0;
  testpng::PngSpec greyAlpha = testpng::solid(3, 3, PNG_COLOR_TYPE_GRAY_ALPHA, {9000, 60000}, 16);
  testpng::PngSpec rgb = testpng::solid(9, 9, PNG_COLOR_TYPE_RGB, {1, 2, 3});
  rgb.interlaced = true;
  rgb.transparentColour = png_color_16{0, 1, 2, 3, 0};
  testpng::PngSpec palette;
  palette.width = 4;
  palette.colorType = PNG_COLOR_TYPE_PALETTE;
  palette.bitDepth = 4;
  palette.palette = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {200, 0, 0}};
  palette.paletteAlpha = {255, 0};
  palette.samples = {0, 1, 2, 3};

  const std::pair<const char*, const testpng::PngSpec*> files[] = {
      {"rgba.png", &rgba},
      {"grey2.png", &grey},
      {"grey_alpha16.png", &greyAlpha},
      {"rgb_interlaced_trns.png", &rgb},
      {"palette4.png", &palette},
  };
  for (const auto& [name, spec] : files) {
    testpng::writeFile((seeds / name).string(), testpng::encode(*spec));
  }
  return 0;
}
