// The show's twenty pictures: procedural patterns, frames and text.
#pragma once

#include <string>
#include <vector>

#include "png_file.h"

struct Picture {
  std::string name;  // below data/textures/
  PngImage image;
};

// The fonts are DejaVu's; returns an empty list when they cannot be opened.
std::vector<Picture> makePictures(const std::string& boldFont, const std::string& plainFont);
