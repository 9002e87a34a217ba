#include "png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testpng {
namespace {

int channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
      return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    default:
      return 4;
  }
}

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

std::vector<std::uint8_t> encode(const PngSpec& spec) {
  const int perPixel = channels(spec.colorType);
  const std::size_t rowSamples = std::size_t{spec.width} * perPixel;
  if (spec.samples.size() != rowSamples * spec.height) throw std::invalid_argument("sample count");
  const std::size_t sampleBytes = spec.bitDepth == 16 ? 2 : 1;
  std::vector<std::uint8_t> pixels(rowSamples * sampleBytes * spec.height);
  for (std::size_t i = 0; i < spec.samples.size(); ++i) {
    if (sampleBytes == 2) {
      pixels[i * 2] = static_cast<std::uint8_t>(spec.samples[i] >> 8);
      pixels[i * 2 + 1] = static_cast<std::uint8_t>(spec.samples[i]);
    } else {
      pixels[i] = static_cast<std::uint8_t>(spec.samples[i]);
    }
  }
  std::vector<png_bytep> rows(spec.height);
  for (std::uint32_t y = 0; y < spec.height; ++y) {
    rows[y] = pixels.data() + rowSamples * sampleBytes * y;
  }

  // Test input is well formed, so libpng's default handler (abort) is the
  // right answer to an error here: a broken helper must not pass quietly.
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, appendBytes, flushNothing);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty()) {
    png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  }
  if (!spec.paletteAlpha.empty() || spec.transparentColour) {
    png_color_16 colour{};
    if (spec.transparentColour) colour = *spec.transparentColour;
    png_set_tRNS(png, info, spec.paletteAlpha.empty() ? nullptr : spec.paletteAlpha.data(),
                 static_cast<int>(spec.paletteAlpha.size()),
                 spec.transparentColour ? &colour : nullptr);
  }
  if (spec.gamma > 0.0) png_set_gAMA(png, info, spec.gamma);
  if (spec.srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  if (spec.bitDepth < 8) png_set_packing(png);
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

PngSpec solid(std::uint32_t width, std::uint32_t height, int colorType,
              std::vector<std::uint16_t> pixel, int bitDepth) {
  PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colorType = colorType;
  spec.bitDepth = bitDepth;
  for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
    spec.samples.insert(spec.samples.end(), pixel.begin(), pixel.end());
  }
  return spec;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  const std::size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (written != bytes.size()) throw std::runtime_error("short write " + path);
}

std::size_t findChunk(const std::vector<std::uint8_t>& png, const char* type) {
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const std::uint32_t length = (std::uint32_t{png[pos]} << 24) |
                                 (std::uint32_t{png[pos + 1]} << 16) |
                                 (std::uint32_t{png[pos + 2]} << 8) | png[pos + 3];
    if (std::memcmp(&png[pos + 4], type, 4) == 0) return pos;
    pos += 12 + std::size_t{length};
  }
  return std::string::npos;
}

std::vector<std::uint8_t> chunk(const char* type, const std::vector<std::uint8_t>& data) {
  // Sized up front: growing it byte by byte trips a false g++ 12 overflow warning.
  std::vector<std::uint8_t> out(8 + data.size() + 4);
  const auto length = static_cast<std::uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    out[4 + i] = static_cast<std::uint8_t>(type[i]);
  }
  std::copy(data.begin(), data.end(), out.begin() + 8);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
  for (int i = 0; i < 4; ++i) {
    out[8 + data.size() + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  }
  return out;
}

std::vector<std::uint8_t> headerOnly(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  put32(ihdr, width);
  put32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, PNG_COLOR_TYPE_RGBA, 0, 0, 0});
  // A few compressed bytes of image data, so that a reader gets past the
  // header and must decide about the size before the rows.
  std::vector<std::uint8_t> rows(64, 0);
  std::vector<std::uint8_t> packed(compressBound(rows.size()));
  uLongf packedSize = packed.size();
  compress(packed.data(), &packedSize, rows.data(), rows.size());
  packed.resize(packedSize);
  for (const auto& part : {chunk("IHDR", ihdr), chunk("IDAT", packed), chunk("IEND", {})}) {
    png.insert(png.end(), part.begin(), part.end());
  }
  return png;
}

}  // namespace testpng
