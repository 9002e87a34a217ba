#include "canvas.h"

#include <cmath>

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float edge0, float edge1, float x) {
  float t = clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3.0f - 2.0f * t);
}

Rgba mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); }

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

void Canvas::blend(int x, int y, Rgba colour, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgba& p = at(x, y);
  float sa = clamp01(colour.a * coverage);
  float outA = sa + p.a * (1.0f - sa);
  if (outA <= 0.0f) {
    p = {0, 0, 0, 0};
    return;
  }
  auto channel = [&](float s, float d) { return (s * sa + d * p.a * (1.0f - sa)) / outA; };
  p = {channel(colour.r, p.r), channel(colour.g, p.g), channel(colour.b, p.b), outA};
}

std::vector<std::uint8_t> Canvas::bytes(int channels) const {
  std::vector<std::uint8_t> out;
  out.reserve(pixels_.size() * static_cast<std::size_t>(channels));
  for (const Rgba& p : pixels_) {
    if (channels <= 2) {
      out.push_back(toByte(p.r));
      if (channels == 2) out.push_back(toByte(p.a));
    } else {
      out.push_back(toByte(p.r));
      out.push_back(toByte(p.g));
      out.push_back(toByte(p.b));
      if (channels == 4) out.push_back(toByte(p.a));
    }
  }
  return out;
}
