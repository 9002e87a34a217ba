// Per-pixel work for one covered run of a row: texture stages, blending and
// the store. The arithmetic is exact on 8-bit channels: products are
// rounded to nearest (a b / 255), sums clamp at 255.
#pragma once

#include <cstdint>

#include "plan.h"
#include "triangle_setup.h"

namespace d3d9impl {

void shadeSpan(const DrawPlan& plan, const Triangle& t, int y, int x0, int x1);

// round(a b / 255) for a, b in 0..255; exposed for tests.
inline unsigned mul255(unsigned a, unsigned b) {
  const unsigned t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// One channel of the blend: min(255, round((s fs + d fd) / 255)).
inline unsigned blendChannel(unsigned s, unsigned fs, unsigned d, unsigned fd) {
  unsigned x = s * fs + d * fd;
  if (x > 255u * 255u) x = 255u * 255u;
  const unsigned t = x + 128;
  return (t + (t >> 8)) >> 8;
}

}  // namespace d3d9impl
