#include "frame_writer.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace win32port {
namespace {

// libpng reports errors by longjmp; this function owns no C++ objects that
// would be skipped by it, and the row buffer comes from the caller.
bool encode(FILE* file, const std::uint32_t* pixels, int width, int height, int pitchPixels,
            std::uint8_t* row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  // Frames are many and large; speed matters more than size here.
  png_set_compression_level(png, 1);
  png_set_filter(png, 0, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitchPixels;
    for (int x = 0; x < width; ++x) {
      row[3 * x + 0] = static_cast<std::uint8_t>(src[x] >> 16);
      row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writeRgbPng(const std::string& path, const std::uint32_t* pixels, int width, int height,
                 int pitchPixels) {
  if (width <= 0 || height <= 0) return false;
  std::unique_ptr<std::uint8_t[]> row(new std::uint8_t[static_cast<std::size_t>(width) * 3]);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = encode(file, pixels, width, height, pitchPixels, row.get());
  ok = (std::fclose(file) == 0) && ok;
  return ok;
}

FrameWriter::FrameWriter(std::string folder) : folder_(std::move(folder)) {
  if (::mkdir(folder_.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "vorkast: cannot create the frames folder %s: %s\n", folder_.c_str(),
                 std::strerror(errno));
    failed_ = true;
  }
}

void FrameWriter::write(const std::uint32_t* pixels, int width, int height, int pitchPixels) {
  if (failed_) return;
  ++count_;
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06ld.png", count_);
  std::string path = folder_ + name;
  if (!writeRgbPng(path, pixels, width, height, pitchPixels)) {
    std::fprintf(stderr, "vorkast: cannot write %s; no more frames will be written\n",
                 path.c_str());
    failed_ = true;
  }
}

}  // namespace win32port
