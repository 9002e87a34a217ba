// The blend and the store of a run of pixels, chosen once per draw: the
// factor pairs the show draws with have their own loops, every other pair
// goes through one general loop. All give shadeSpan's bits (SSE2).
#pragma once

#include <cstdint>

#include "plan.h"

namespace d3d9impl {

struct StoreTarget {
  std::uint32_t writeMask;  // bits of the stored word that change
  std::uint32_t forced;     // alpha of a target without alpha: read and kept as 0xFF
  DWORD srcBlend, destBlend;
};

// Blends src[0..n) into row[0..n) and stores it.
using StoreSpan = void (*)(const StoreTarget& target, const std::uint32_t* src, std::uint32_t* row,
                           int n);

StoreSpan chooseStore(const DrawPlan& plan, StoreTarget* target);

}  // namespace d3d9impl
