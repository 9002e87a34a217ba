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

  // Lays colour over the pixel with the given coverage ("over"); pixels
  // outside the canvas are ignored.
  void blend(int x, int y, Rgba colour, float coverage);

  // Every pixel from a function of its centre in texture coordinates (0 to 1).
  template <typename Shader>
  void paint(Shader shader) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        at(x, y) = shader((static_cast<float>(x) + 0.5f) / static_cast<float>(width_),
                          (static_cast<float>(y) + 0.5f) / static_cast<float>(height_));
      }
    }
  }

  // 8-bit samples, rounded: 1 grey (from red), 2 grey and alpha, 3 RGB, 4 RGBA.
  std::vector<std::uint8_t> bytes(int channels) const;

 private:
  int width_;
  int height_;
  std::vector<Rgba> pixels_;
};

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);
Rgba mix(Rgba a, Rgba b, float t);
std::uint8_t toByte(float v);
