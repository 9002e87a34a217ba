// The fast sampler: the same texels as sampleSpan (sampler.h) for affine
// triangles reading 32-bit levels, with the coordinates stepped in fixed
// point and four channels filtered at once (SSE2).
#pragma once

#include <cmath>
#include <cstdint>

#include "plan.h"
#include "triangle_setup.h"

namespace d3d9impl {

// std::llround without the library call: the same result for every value
// (half-way cases away from zero); out-of-range values go to the library.
inline std::int64_t roundToInt64(double x) {
  if (!(x > -9.0e18 && x < 9.0e18)) return std::llround(x);
  const auto i = static_cast<std::int64_t>(x);     // truncates
  const double rest = x - static_cast<double>(i);  // exact
  return rest >= 0.5 ? i + 1 : (rest <= -0.5 ? i - 1 : i);
}

// 16.16 texel coordinates of pixel (x0, y) and their steps per pixel along
// the row: pixel x0 + k samples (s0 + k ds, t0 + k dt).
struct AffineSteps {
  std::int64_t s0, t0, ds, dt;
};
AffineSteps affineSteps(const StageSetup& setup, const Image& level, bool linear, int x0, int y);

// True when every level of the texture is stored as 32-bit words.
bool fastSamplable(const Texture& texture);

// out[k] = the sample of pixel (x0 + k, y), k < n, for an affine triangle.
// n must be a multiple of 4 (the extra pixels are sampled like the others,
// always inside the texture).
void sampleAffineSpan(const StagePlan& stage, const StageSetup& setup, int x0, int y, int n,
                      std::uint32_t* out);

}  // namespace d3d9impl
