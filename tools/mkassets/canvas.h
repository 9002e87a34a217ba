// A picture being made: RGBA in floats from 0 to 1, top row first.
#pragma once

#include <cstdint>
#include <vector>

struct Rgba {
  float r, g, b, a;
};

class Canvas {
 public:
  Canvas(int width, int height, Rgba fill = {0, 0, 0, 0});

  int width() const { return width_; }
  int height() const { return height_; }
  Rgba& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const Rgba& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Lays colour over the pixel with the given coverage, as "over" does.
  void blend(int x, int y, Rgba colour, float coverage);

  // 8-bit samples, rounded; channels 1 to 4 of RGBA order.
  std::vector<std::uint8_t> bytes(int channels) const;

 private:
  int width_;
  int height_;
  std::vector<Rgba> pixels_;
};

float clamp01(float v);
Rgba mix(Rgba a, Rgba b, float t);
