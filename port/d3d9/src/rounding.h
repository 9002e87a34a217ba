// Rounding as the pipeline does it everywhere: to the nearest integer, and
// integer quotients rounded down or up.
#pragma once

#include <cmath>
#include <cstdint>

namespace d3d9impl {

// std::llround without the library call: the same result for every value
// (half-way cases away from zero); out-of-range values go to the library.
inline std::int64_t roundToInt64(double x) {
  if (!(x > -9.0e18 && x < 9.0e18)) return std::llround(x);
  const auto i = static_cast<std::int64_t>(x);     // truncates
  const double rest = x - static_cast<double>(i);  // exact
  // Added as flags, not branched on: which way a run start or a step
  // rounds is as good as random, and a mispredicted branch costs more than
  // the whole sum.
  return i + static_cast<std::int64_t>(rest >= 0.5) - static_cast<std::int64_t>(rest <= -0.5);
}

// floor(a / b) and ceil(a / b) for b > 0.
inline std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
inline std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); }

}  // namespace d3d9impl
