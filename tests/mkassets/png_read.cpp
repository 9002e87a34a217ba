#include "png_read.h"

#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

// libpng reports errors by longjmp: no C++ object with a destructor lives here.
bool readHeader(FILE* file, DecodedPng& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  out.width = static_cast<int>(png_get_image_width(png, info));
  out.height = static_cast<int>(png_get_image_height(png, info));
  out.colorType = png_get_color_type(png, info);
  out.bitDepth = png_get_bit_depth(png, info);
  out.trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  out.gama = png_get_valid(png, info, PNG_INFO_gAMA) != 0;
  out.srgb = png_get_valid(png, info, PNG_INFO_sRGB) != 0;
  png_colorp palette = nullptr;
  int entries = 0;
  if (png_get_PLTE(png, info, &palette, &entries) != 0) out.paletteSize = entries;
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

DecodedPng readPng(const std::string& path) {
  DecodedPng out;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return out;
  bool header = readHeader(file, out);
  std::fclose(file);
  if (!header) return out;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  // Samples as stored: no gamma conversion of the colours.
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return out;
  out.ok = true;
  return out;
}

std::vector<char> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string dataDir() { return std::string(VORKAST_BINARY_DIR) + "/data"; }
