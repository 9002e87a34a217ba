#include "patterns.h"

#include <cmath>

namespace {

// A 32-bit integer hash (the "lowbias32" mix).
std::uint32_t hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

float lattice(int x, int y, int period, std::uint32_t seed) {
  auto wx = static_cast<std::uint32_t>(((x % period) + period) % period);
  auto wy = static_cast<std::uint32_t>(((y % period) + period) % period);
  std::uint32_t h = hash(wx ^ hash(wy ^ hash(seed)));
  return static_cast<float>(h >> 8) / 16777215.0f;
}

float fade(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float fract(float x) { return x - std::floor(x); }

float wrapDelta(float a, float b) {
  float d = std::fabs(fract(a) - fract(b));
  return d > 0.5f ? 1.0f - d : d;
}

float tileNoise(float u, float v, int period, std::uint32_t seed) {
  float x = fract(u) * static_cast<float>(period);
  float y = fract(v) * static_cast<float>(period);
  int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  float fx = fade(x - static_cast<float>(x0)), fy = fade(y - static_cast<float>(y0));
  float a = lattice(x0, y0, period, seed), b = lattice(x0 + 1, y0, period, seed);
  float c = lattice(x0, y0 + 1, period, seed), d = lattice(x0 + 1, y0 + 1, period, seed);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float tileFbm(float u, float v, int period, int octaves, std::uint32_t seed) {
  float sum = 0.0f, weight = 0.5f, total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * tileNoise(u, v, period << i, seed + static_cast<std::uint32_t>(i) * 977u);
    total += weight;
    weight *= 0.5f;
  }
  return sum / total;
}
