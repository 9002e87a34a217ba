// Where a texture level is wholly transparent: which 8 x 8 tiles of it have
// alpha 0 in every texel. A blended draw whose texels all come from such
// tiles leaves its target as it was, and need not be drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace d3d9impl {

class ClearTiles {
 public:
  static constexpr int kTile = 8;

  // Room for a width x height level's tiles, none of them clear yet: made
  // with the texture, so that a frame's first draw of it allocates nothing.
  ClearTiles(UINT width, UINT height);

  // Finds the clear tiles of the level in its word form (A8R8G8B8), of the
  // size given above.
  void update(const Image& words);

  // True when every texel of columns x0..x1 and rows y0..y1 (inclusive,
  // before addressing) has alpha 0 once wrapped (wrapU, wrapV) or clamped
  // onto the level.
  bool clear(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1, bool wrapU,
             bool wrapV) const;

  // The share of the level's tiles that are clear, 0 to 1.
  double clearShare() const {
    return static_cast<double>(count(tilesX_, tilesY_)) / (static_cast<double>(tilesX_) * tilesY_);
  }

 private:
  // The texel ranges an axis's range comes to on the level: one, or two
  // where it wraps round the edge.
  struct Ranges {
    int from[2], to[2];
    int count;
  };
  static Ranges onAxis(std::int64_t a, std::int64_t b, int size, bool wrap);
  // Whether every tile that texels [x0, x1] x [y0, y1] touch is clear.
  bool clearTiles(int x0, int x1, int y0, int y1) const;

  std::int32_t& count(int tx, int ty) {
    return counts_[static_cast<std::size_t>(ty) * (tilesX_ + 1) + tx];
  }
  std::int32_t count(int tx, int ty) const {
    return counts_[static_cast<std::size_t>(ty) * (tilesX_ + 1) + tx];
  }

  int width_, height_, tilesX_, tilesY_;
  // Clear tiles above and to the left of each tile corner, (tilesX_ + 1)
  // to a row: a rectangle of tiles is clear when it counts its area.
  std::vector<std::int32_t> counts_;
};

}  // namespace d3d9impl
