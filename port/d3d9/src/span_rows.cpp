#include "span_rows.h"

#include <algorithm>

namespace d3d9impl {

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

RowWalker::RowWalker(const Triangle& t, int y) : minX_(t.minX), maxX_(t.maxX) {
  const std::int64_t py = std::int64_t{y} * 256;
  for (const Edge& e : t.edges) {
    // E(x) = c - dy * 256 x with c = dx (py - y0) + dy x0, as rowSpan has it.
    const std::int64_t c = e.dx * (py - e.y0) + e.dy * e.x0;
    const std::int64_t step = e.dx * 256;
    if (e.dy == 0) {
      flats_[flatCount_++] = {c, step, e.bias};
      continue;
    }
    // dy < 0: x >= ceil((bias - c) / D) = -floor((c - bias) / D);
    // dy > 0: x <= floor((c - bias) / D); D = |dy| 256.
    Bound& b = e.dy < 0 ? lower_[lowerCount_++] : upper_[upperCount_++];
    b.d = (e.dy < 0 ? -e.dy : e.dy) * 256;
    b.q = floorDiv(c - e.bias, b.d);
    b.r = (c - e.bias) - b.q * b.d;
    b.stepQ = floorDiv(step, b.d);
    b.stepR = step - b.stepQ * b.d;
  }
}

}  // namespace d3d9impl
