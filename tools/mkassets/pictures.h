// The show's twenty pictures: procedural patterns, frames and text.
#pragma once

#include <string>
#include <vector>

#include "png_file.h"

struct Picture {
  std::string name;  // below data/textures/
  PngImage image;
};

// The frame overlay is exactly mid grey (128) further than this many pixels
// from its edge.
constexpr int kFrameBorder = 36;

// The fonts are DejaVu's; returns an empty list when they cannot be opened.
std::vector<Picture> makePictures(const std::string& boldFont, const std::string& plainFont);
