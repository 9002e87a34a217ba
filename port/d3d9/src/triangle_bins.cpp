#include "triangle_bins.h"

#include <algorithm>

namespace d3d9impl {

TriangleBins& TriangleBins::forThisThread() {
  thread_local TriangleBins bins;
  bins.triangles_.clear();
  return bins;
}

bool TriangleBins::sort(int rows, int* first, int* count) {
  if (triangles_.empty()) return false;
  int top = triangles_.front().minY, bottom = triangles_.front().maxY;
  estimate_ = 0;
  for (const Triangle& t : triangles_) {
    estimate_ += static_cast<long>(t.maxX - t.minX + 1) * (t.maxY - t.minY + 1) / 2;
    top = std::min(top, t.minY);
    bottom = std::max(bottom, t.maxY);
  }
  const int firstBand = top / rows;
  const int bands = bottom / rows - firstBand + 1;
  // Counting sort by band: a triangle is listed in every band it touches,
  // and each list keeps the draw order.
  start_.assign(static_cast<std::size_t>(bands) + 1, 0);
  for (const Triangle& t : triangles_) {
    for (int b = t.minY / rows; b <= t.maxY / rows; ++b) ++start_[b - firstBand + 1];
  }
  for (int b = 0; b < bands; ++b) start_[b + 1] += start_[b];
  members_.resize(start_[bands]);
  fill_.assign(start_.begin(), start_.end() - 1);
  for (std::uint32_t i = 0; i < triangles_.size(); ++i) {
    const Triangle& t = triangles_[i];
    for (int b = t.minY / rows; b <= t.maxY / rows; ++b) members_[fill_[b - firstBand]++] = i;
  }
  *first = firstBand;
  *count = bands;
  return true;
}

}  // namespace d3d9impl
