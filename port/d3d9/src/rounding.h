// Rounding to the nearest integer, as the pipeline does it everywhere.
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
  return rest >= 0.5 ? i + 1 : (rest <= -0.5 ? i - 1 : i);
}

}  // namespace d3d9impl
