// Writes PNG files of every kind the show's loader reads, byte for byte the
// same each time: no time stamp, fixed compression settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  int colorType = 0;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  // Samples packed as libpng expects for colorType and bitDepth, rows top
  // first, no padding between rows.
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> palette;       // RGB triples, palette images only
  std::vector<std::uint8_t> paletteAlpha;  // tRNS for palette images, may be shorter
  bool hasTransparentColour = false;       // tRNS for RGB or grey images
  std::uint16_t transparent[3] = {0, 0, 0};
  double fileGamma = 0.0;  // writes gAMA when non-zero
  bool srgb = false;       // writes sRGB (perceptual)
};

// False, with the reason on standard error, when the file cannot be written.
bool writePng(const std::string& path, const PngImage& image);
