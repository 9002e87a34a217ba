#include "triangle_bins.h"

#include <algorithm>

namespace d3d9impl {

TriangleBins& TriangleBins::forThisThread(int parts) {
  thread_local TriangleBins bins;
  if (bins.parts_.size() < static_cast<std::size_t>(parts)) bins.parts_.resize(parts);
  for (int p = 0; p < parts; ++p) bins.parts_[p].clear();
  bins.used_ = parts;
  return bins;
}

bool TriangleBins::sort(int rows, int* first, int* count) {
  int top = 0, bottom = -1;
  bool any = false;
  estimate_ = 0;
  for (int p = 0; p < used_; ++p) {
    for (const Triangle& t : parts_[p]) {
      estimate_ += static_cast<long>(t.maxX - t.minX + 1) * (t.maxY - t.minY + 1) / 2;
      top = any ? std::min(top, t.minY) : t.minY;
      bottom = any ? std::max(bottom, t.maxY) : t.maxY;
      any = true;
    }
  }
  if (!any) return false;
  const int firstBand = top / rows;
  const int bands = bottom / rows - firstBand + 1;
  // Counting sort by band: a triangle is listed in every band it touches,
  // and each list keeps the draw order.
  start_.assign(static_cast<std::size_t>(bands) + 1, 0);
  for (int p = 0; p < used_; ++p) {
    for (const Triangle& t : parts_[p]) {
      for (int b = t.minY / rows; b <= t.maxY / rows; ++b) ++start_[b - firstBand + 1];
    }
  }
  for (int b = 0; b < bands; ++b) start_[b + 1] += start_[b];
  members_.resize(start_[bands]);
  fill_.assign(start_.begin(), start_.end() - 1);
  for (int p = 0; p < used_; ++p) {
    for (const Triangle& t : parts_[p]) {
      for (int b = t.minY / rows; b <= t.maxY / rows; ++b) members_[fill_[b - firstBand]++] = &t;
    }
  }
  *first = firstBand;
  *count = bands;
  return true;
}

}  // namespace d3d9impl
