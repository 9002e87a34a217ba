#include "clear_tiles.h"

#include <algorithm>
#include <bit>

namespace d3d9impl {

ClearTiles::ClearTiles(UINT width, UINT height)
    : width_(static_cast<int>(width)),
      height_(static_cast<int>(height)),
      tilesX_((width_ + kTile - 1) / kTile),
      tilesY_((height_ + kTile - 1) / kTile),
      counts_(static_cast<std::size_t>(tilesX_ + 1) * static_cast<std::size_t>(tilesY_ + 1), 0) {}

void ClearTiles::update(const Image& words) {
  // First each tile's own mark (1: some texel has alpha), at its lower
  // right corner; then the marks summed and turned into clear counts.
  std::fill(counts_.begin(), counts_.end(), 0);
  for (int y = 0; y < height_; ++y) {
    const std::uint32_t* row = words.row32(static_cast<UINT>(y));
    for (int x = 0; x < width_; ++x) count(x / kTile + 1, y / kTile + 1) |= (row[x] >> 24) != 0;
  }
  for (int ty = 1; ty <= tilesY_; ++ty) {
    for (int tx = 1; tx <= tilesX_; ++tx) {
      count(tx, ty) =
          (1 - count(tx, ty)) + count(tx - 1, ty) + count(tx, ty - 1) - count(tx - 1, ty - 1);
    }
  }
}

ClearTiles::Ranges ClearTiles::onAxis(std::int64_t a, std::int64_t b, int size, bool wrap) {
  if (!wrap) {
    const auto clamp = [size](std::int64_t v) {
      return static_cast<int>(std::clamp<std::int64_t>(v, 0, size - 1));
    };
    return {{clamp(a), 0}, {clamp(b), 0}, 1};
  }
  if (b - a + 1 >= size) return {{0, 0}, {size - 1, 0}, 1};
  // Sizes that wrap are powers of two on the fast path: a mask, not a
  // division, for them.
  const int from = std::has_single_bit(static_cast<unsigned>(size))
                       ? static_cast<int>(a & (size - 1))
                       : static_cast<int>(((a % size) + size) % size);
  const int to = from + static_cast<int>(b - a);
  if (to < size) return {{from, 0}, {to, 0}, 1};
  return {{from, 0}, {size - 1, to - size}, 2};
}

bool ClearTiles::clearTiles(int x0, int x1, int y0, int y1) const {
  const int tx0 = x0 / kTile, tx1 = x1 / kTile + 1, ty0 = y0 / kTile, ty1 = y1 / kTile + 1;
  const std::int32_t clear = count(tx1, ty1) - count(tx0, ty1) - count(tx1, ty0) + count(tx0, ty0);
  return clear == (tx1 - tx0) * (ty1 - ty0);
}

bool ClearTiles::clear(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1,
                       bool wrapU, bool wrapV) const {
  if (x0 > x1 || y0 > y1) return true;
  const Ranges xs = onAxis(x0, x1, width_, wrapU), ys = onAxis(y0, y1, height_, wrapV);
  for (int i = 0; i < xs.count; ++i) {
    for (int j = 0; j < ys.count; ++j) {
      if (!clearTiles(xs.from[i], xs.to[i], ys.from[j], ys.to[j])) return false;
    }
  }
  return true;
}

}  // namespace d3d9impl
