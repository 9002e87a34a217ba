// The stage operations of span_stages.cpp eight pixels at a time (AVX2):
// the same arithmetic on each 128-bit half, so the same bits. n is a
// multiple of 4; only where useWideVectors() (wide_vectors.h).
#pragma once

#include <cstdint>

#include "plan.h"

namespace d3d9impl {

// out = a op b for MODULATE, MODULATE2X, MODULATE4X and ADD.
void operateWide(DWORD op, const std::uint32_t* a, const std::uint32_t* b, int n,
                 std::uint32_t* out);
// out = the argument modifiers (COMPLEMENT, ALPHAREPLICATE) of arg on in.
void modifyWide(DWORD arg, const std::uint32_t* in, int n, std::uint32_t* out);
// out = colour's colour channels with alpha's alpha.
void mergeWide(const std::uint32_t* colour, const std::uint32_t* alpha, int n, std::uint32_t* out);

}  // namespace d3d9impl
