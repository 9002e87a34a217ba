// Texture sampling for a run of pixels of one row. Exact integer arithmetic:
// coordinates in 16.16 texels (texel centres at (i + 0.5) / W), bilinear
// weights of 8 bits with one rounding, trilinear blend weights of 8 bits.
#pragma once

#include <cstdint>

#include "plan.h"
#include "triangle_setup.h"

namespace d3d9impl {

// out[k] = the A8R8G8B8 sample of pixel (x0 + k, y), k < n.
void sampleSpan(const StagePlan& stage, const StageSetup& setup, const Triangle& t, int x0, int y,
                int n, std::uint32_t* out);

// The filters, exposed for tests of their arithmetic.
std::uint32_t bilinear(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01, std::uint32_t t11,
                       unsigned fu, unsigned fv);
std::uint32_t mixLevels(std::uint32_t a, std::uint32_t b, unsigned weight);

}  // namespace d3d9impl
