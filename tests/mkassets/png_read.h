// Reads a PNG back for the tests: its header as stored, and its pixels
// expanded to 8-bit RGBA.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedPng {
  bool ok = false;
  int width = 0, height = 0;
  int colorType = -1, bitDepth = 0;
  bool trns = false, gama = false, srgb = false;
  int paletteSize = 0;
  std::vector<std::uint8_t> rgba;  // width x height x 4, top row first

  const std::uint8_t* at(int x, int y) const {
    return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  }
};

DecodedPng readPng(const std::string& path);
std::vector<char> readBytes(const std::string& path);

// The build's generated data folder.
std::string dataDir();
