#include "span_rows.h"

#include <algorithm>
#include <limits>

#include "rounding.h"

namespace d3d9impl {

RowWalker::RowWalker(const Triangle& t, int y)
    : minX_(t.minX), maxX_(t.maxX), lastRow_(std::numeric_limits<std::int64_t>::max()) {
  const std::int64_t py = std::int64_t{y} * 256;
  for (const Edge& e : t.edges) {
    // E(x) = c - dy * 256 x with c = dx (py - y0) + dy x0, as rowSpan has it.
    const std::int64_t c = e.dx * (py - e.y0) + e.dy * e.x0;
    const std::int64_t step = e.dx * 256;
    if (e.dy == 0) {
      // Row k is in while c + k step >= bias.
      if (step > 0) {
        firstRow_ = std::max(firstRow_, -floorDiv(c - e.bias, step));
      } else if (step < 0) {
        lastRow_ = std::min(lastRow_, floorDiv(c - e.bias, -step));
      } else if (c < e.bias) {
        lastRow_ = -1;
      }
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
  simple_ = lowerCount_ == 1 && upperCount_ == 1;
}

}  // namespace d3d9impl
