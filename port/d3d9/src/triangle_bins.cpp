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

bool TriangleBins::sort(int rowsLog2, int* first, int* count) {
  int top = 0, bottom = -1;
  bool any = false;
  estimate_ = 0;
  for (int p = 0; p < used_; ++p) {
    const TrianglePart& part = parts_[p];
    for (std::size_t i = 0; i < part.size(); ++i) {
      const TrianglePart::Bounds& b = part.bounds()[i];
      estimate_ += static_cast<long>(b.maxX - b.minX + 1) * (b.maxY - b.minY + 1) / 2;
      top = any ? std::min(top, b.minY) : b.minY;
      bottom = any ? std::max(bottom, b.maxY) : b.maxY;
      any = true;
    }
  }
  if (!any) return false;
  // Rows are never negative: a band is a shift away.
  const int firstBand = top >> rowsLog2;
  const int bands = (bottom >> rowsLog2) - firstBand + 1;
  // Counting sort by band: a triangle is listed in every band it touches,
  // and each list keeps the draw order.
  start_.assign(static_cast<std::size_t>(bands) + 1, 0);
  for (int p = 0; p < used_; ++p) {
    const TrianglePart& part = parts_[p];
    for (std::size_t i = 0; i < part.size(); ++i) {
      const TrianglePart::Bounds& t = part.bounds()[i];
      const int last = (t.maxY >> rowsLog2) - firstBand;
      for (int b = (t.minY >> rowsLog2) - firstBand; b <= last; ++b) ++start_[b + 1];
    }
  }
  for (int b = 0; b < bands; ++b) start_[b + 1] += start_[b];
  // How many triangles a draw keeps changes from frame to frame where the
  // clear ones are left out: grown with room to spare, so that the frames
  // after the first few allocate nothing.
  if (members_.capacity() < start_[bands]) members_.reserve(2 * std::size_t{start_[bands]});
  members_.resize(start_[bands]);
  fill_.assign(start_.begin(), start_.end() - 1);
  for (int p = 0; p < used_; ++p) {
    const TrianglePart& part = parts_[p];
    for (std::size_t i = 0; i < part.size(); ++i) {
      const TrianglePart::Bounds& t = part.bounds()[i];
      const int last = (t.maxY >> rowsLog2) - firstBand;
      for (int b = (t.minY >> rowsLog2) - firstBand; b <= last; ++b) {
        members_[fill_[b]++] = part.begin() + i;
      }
    }
  }
  *first = firstBand;
  *count = bands;
  return true;
}

}  // namespace d3d9impl
