// The triangles of one draw, set up, and each band's share of them in draw
// order. The triangles come in parts, one per setting-up thread, each part
// a run of the draw's primitives; part 0 comes first. The storage is kept
// from draw to draw (one store per drawing thread): a warp grid's thousands
// of triangles would otherwise land on fresh pages, faulted in and zeroed,
// on every draw.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "triangle_setup.h"

namespace d3d9impl {

// One setting-up thread's part. Its slots are kept from draw to draw and
// set up where they lie, never constructed or copied again; each part has
// cache lines of its own, as the threads fill neighbouring parts at once.
class alignas(64) TrianglePart {
 public:
  // A kept triangle's pixel bounds, kept apart as well: sorting reads
  // sixteen bytes a triangle, not the cache lines of the whole.
  struct Bounds {
    int minX, maxX, minY, maxY;
  };

  void clear() { count_ = 0; }
  // Room for `count` triangles at once, up to kExpectedAtMost: a part keeps
  // as many as it has primitives unless clipping splits them, however many
  // a frame leaves out, so that the frames after the first allocate
  // nothing. One more for the slot set up last and not kept. Beyond the cap
  // the slots grow as they are used, as huge draws that mostly miss the
  // target would otherwise hold room they never fill.
  static constexpr std::size_t kExpectedAtMost = 65536;
  void expect(std::size_t count) {
    const std::size_t wanted = std::min(count, kExpectedAtMost) + 1;
    if (slots_.size() < wanted) {
      slots_.resize(wanted);
      bounds_.resize(wanted);
    }
  }
  // Where the next triangle is set up; keep() adds it to the part.
  Triangle* slot() {
    if (count_ == slots_.size()) {
      slots_.resize(2 * slots_.size() + 64);
      bounds_.resize(slots_.size());
    }
    return &slots_[count_];
  }
  void keep() {
    const Triangle& t = slots_[count_];
    bounds_[count_++] = {t.minX, t.maxX, t.minY, t.maxY};
  }
  std::size_t size() const { return count_; }
  const Triangle* begin() const { return slots_.data(); }
  const Triangle* end() const { return slots_.data() + count_; }
  const Bounds* bounds() const { return bounds_.data(); }

 private:
  std::vector<Triangle> slots_;
  std::vector<Bounds> bounds_;
  std::size_t count_ = 0;
};

class TriangleBins {
 public:
  // The store of the calling thread, with `parts` empty parts.
  static TriangleBins& forThisThread(int parts);

  TrianglePart& part(int index) { return parts_[static_cast<std::size_t>(index)]; }

  // Sorts the triangles into bands of 2^rowsLog2 rows, from band `first`
  // on, `count` bands; returns false when no triangle was set up.
  bool sort(int rowsLog2, int* first, int* count);

  // The triangles that touch band `band` (0 = first), in order.
  const Triangle* const* begin(int band) const { return members_.data() + start_[band]; }
  const Triangle* const* end(int band) const { return members_.data() + start_[band + 1]; }

  // Covered pixels, roughly: half the bounding boxes.
  long pixelEstimate() const { return estimate_; }

 private:
  std::vector<TrianglePart> parts_;
  int used_ = 0;
  std::vector<std::uint32_t> start_;
  std::vector<const Triangle*> members_;
  std::vector<std::uint32_t> fill_;
  long estimate_ = 0;
};

}  // namespace d3d9impl
