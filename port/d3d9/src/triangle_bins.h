// The triangles of one draw, set up, and each band's share of them in draw
// order. The triangles come in parts, one per setting-up thread, each part
// a run of the draw's primitives; part 0 comes first. The storage is kept
// from draw to draw (one store per drawing thread): a warp grid's thousands
// of triangles would otherwise land on fresh pages, faulted in and zeroed,
// on every draw.
#pragma once

#include <cstdint>
#include <vector>

#include "triangle_setup.h"

namespace d3d9impl {

class TriangleBins {
 public:
  // The store of the calling thread, with `parts` empty parts.
  static TriangleBins& forThisThread(int parts);

  std::vector<Triangle>& part(int index) { return parts_[static_cast<std::size_t>(index)]; }

  // Sorts the triangles into bands of `rows` rows, from band `first` on,
  // `count` bands; returns false when no triangle was set up.
  bool sort(int rows, int* first, int* count);

  // The triangles that touch band `band` (0 = first), in order.
  const Triangle* const* begin(int band) const { return members_.data() + start_[band]; }
  const Triangle* const* end(int band) const { return members_.data() + start_[band + 1]; }

  // Covered pixels, roughly: half the bounding boxes.
  long pixelEstimate() const { return estimate_; }

 private:
  std::vector<std::vector<Triangle>> parts_;
  int used_ = 0;
  std::vector<std::uint32_t> start_;
  std::vector<const Triangle*> members_;
  std::vector<std::uint32_t> fill_;
  long estimate_ = 0;
};

}  // namespace d3d9impl
