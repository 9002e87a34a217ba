// Writes PNG files of every kind the show's loader reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  int colorType = 0;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  // Samples packed as libpng expects for colorType and bitDepth (16-bit
  // samples big-endian), rows top first, no padding between rows.
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> palette;       // RGB triples, palette images only
  std::vector<std::uint8_t> paletteAlpha;  // tRNS for palette images
  bool hasTransparentColour = false;       // tRNS for RGB or grey images
  std::uint16_t transparent[3] = {0, 0, 0};
};

// False, with the reason on standard error, when the file cannot be written.
bool writePng(const std::string& path, const PngImage& image);
