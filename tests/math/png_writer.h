// Small PNGs written with libpng, for the loader's tests and the fuzzer's
// seed corpus, plus byte-level helpers for damaging them.
#pragma once

#include <png.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testpng {

struct PngSpec {
  std::uint32_t width = 1;
  std::uint32_t height = 1;
  int colorType = PNG_COLOR_TYPE_RGBA;
  int bitDepth = 8;
  // One value per sample, rows top first, in the file's own depth (a 4-bit
  // grey sample is 0..15, a 16-bit one 0..65535, a palette sample an index).
  std::vector<std::uint16_t> samples;
  std::vector<png_color> palette;
  std::vector<std::uint8_t> paletteAlpha;         // tRNS for palette images
  std::optional<png_color_16> transparentColour;  // tRNS for grey and RGB
  double gamma = 0.0;                             // writes gAMA when above 0
  bool srgb = false;
  bool interlaced = false;
};

std::vector<std::uint8_t> encode(const PngSpec& spec);

// An image whose every pixel has the same samples.
PngSpec solid(std::uint32_t width, std::uint32_t height, int colorType,
              std::vector<std::uint16_t> pixel, int bitDepth = 8);

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Offset of the first chunk of that type (its length field), or npos.
std::size_t findChunk(const std::vector<std::uint8_t>& png, const char* type);

// A chunk with a correct CRC, for building headers by hand.
std::vector<std::uint8_t> chunk(const char* type, const std::vector<std::uint8_t>& data);

// The signature, an IHDR claiming the given RGBA size, a little IDAT, IEND.
std::vector<std::uint8_t> headerOnly(std::uint32_t width, std::uint32_t height);

}  // namespace testpng
