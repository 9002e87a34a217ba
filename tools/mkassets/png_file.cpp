#include "png_file.h"

#include <png.h>

#include <cstdio>

namespace {

// libpng reports errors by longjmp: no C++ object lives in this frame.
bool encode(FILE* file, const PngImage& image) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), image.bitDepth, image.colorType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (image.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()),
                 static_cast<int>(image.palette.size() / 3));
    if (!image.paletteAlpha.empty()) {
      png_set_tRNS(png, info, image.paletteAlpha.data(),
                   static_cast<int>(image.paletteAlpha.size()), nullptr);
    }
  } else if (image.hasTransparentColour) {
    png_color_16 colour{};
    colour.red = image.transparent[0];
    colour.green = image.transparent[1];
    colour.blue = image.transparent[2];
    colour.gray = image.transparent[0];
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  if (image.fileGamma > 0.0) png_set_gAMA(png, info, image.fileGamma);
  if (image.srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  int channels = png_get_channels(png, info);
  std::size_t rowBytes =
      (static_cast<std::size_t>(image.width) * channels * image.bitDepth + 7) / 8;
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, image.data.data() + rowBytes * static_cast<std::size_t>(y));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, const PngImage& image) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  bool ok = encode(file, image);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::fprintf(stderr, "mkassets: could not write %s\n", path.c_str());
  return ok;
}
