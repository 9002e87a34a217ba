// Bilinear sampling of eight pixels at a time with 256-bit vectors (AVX2),
// for CPUs that have them: the same texels, weights and rounding as the
// SSE2 filters of span_sampler.cpp. Chosen at run time, so the binary still
// runs on any x86-64.
#pragma once

#include "span_sampler.h"

namespace d3d9impl {

// Samples n pixels (a multiple of 4) into out, which has room for n rounded
// up to a multiple of 8; false, with nothing written, when it cannot take
// this run (the coordinates leave 32 bits) and the caller's filter must.
using WideFilter = StageSampler::Wide;

// The wide bilinear filter for CLAMP (clamp true) or power-of-two WRAP on
// each axis; null when the CPU lacks AVX2 or wide vectors are turned off.
WideFilter wideBilinear(bool clampU, bool clampV);

// The same at n listed coordinates (16.16 texels), n rounded up to a
// multiple of 8 read from s and t and written to out.
using WidePointsFilter = StageSampler::WidePoints;
WidePointsFilter wideBilinearPoints(bool clampU, bool clampV);

// StageSampler::starts four runs at a time: the runs starting at (x0[r],
// y[r]), r < count, on planes u and v, for passes of level sizes w[i] x
// h[i]; null as above.
StageSampler::FourStarts wideStarts();

// The trilinear mix of two levels' samples eight pixels at a time; null as
// above.
StageSampler::Mix wideMix();

}  // namespace d3d9impl
