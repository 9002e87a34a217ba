// The covered run of each row of a triangle, row after row: rowSpan
// (triangle_setup.h) without its three divisions per row. Each edge bound is
// floor((c - bias) / D) for an edge value c that grows by a fixed step per
// row; quotient and remainder are stepped exactly instead.
#pragma once

#include <algorithm>
#include <cstdint>

#include "triangle_setup.h"

namespace d3d9impl {

class RowWalker {
 public:
  // Starts at row y.
  RowWalker(const Triangle& t, int y);

  // The run of the current row as [*x0, *x1), false when empty; then moves
  // to the next row.
  bool next(int* x0, int* x1);

 private:
  struct Bound {
    std::int64_t q, r, d;  // c - bias = q d + r, 0 <= r < d
    std::int64_t stepQ, stepR;
  };
  // The next row's quotient and remainder, without a branch.
  static void step(Bound& b);
  // Edges that go up bound the run from the left, the others from the
  // right: kept apart, so that a row's bounds take no branch.
  Bound lower_[3], upper_[3];
  int lowerCount_ = 0, upperCount_ = 0;
  // One bound on each side, as most triangles have: no loop either.
  bool simple_ = false;
  std::int64_t minX_, maxX_;
  // A horizontal edge leaves a range of rows, counted from the first.
  std::int64_t row_ = 0, firstRow_ = 0, lastRow_;
};

inline void RowWalker::step(Bound& b) {
  b.r += b.stepR;
  // Written as a mask: g++ made a branch of the conditional form, and
  // whether an edge carries on a row is as good as random.
  const std::int64_t carry = -static_cast<std::int64_t>(b.r >= b.d);
  b.r -= b.d & carry;
  b.q += b.stepQ - carry;
}

inline bool RowWalker::next(int* x0, int* x1) {
  std::int64_t lo = minX_, hi = maxX_;
  if (simple_) {
    lo = std::max(lo, -lower_[0].q);
    hi = std::min(hi, upper_[0].q);
    step(lower_[0]);
    step(upper_[0]);
  } else {
    for (int i = 0; i < lowerCount_; ++i) {
      lo = std::max(lo, -lower_[i].q);
      step(lower_[i]);
    }
    for (int i = 0; i < upperCount_; ++i) {
      hi = std::min(hi, upper_[i].q);
      step(upper_[i]);
    }
  }
  const std::int64_t row = row_++;
  if (row < firstRow_ || row > lastRow_ || lo > hi) return false;
  *x0 = static_cast<int>(lo);
  *x1 = static_cast<int>(hi) + 1;
  return true;
}

}  // namespace d3d9impl
