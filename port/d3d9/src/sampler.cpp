#include "sampler.h"

#include <cmath>

#include "format.h"
#include "texture.h"

namespace d3d9impl {

namespace {

constexpr int kChunk = 64;

// Lanes of 32 bits in a 64-bit word: (B, R) and (G, A).
inline std::uint64_t lanesBR(std::uint32_t c) {
  return (c & 0xFFu) | (static_cast<std::uint64_t>(c & 0xFF0000u) << 16);
}
inline std::uint64_t lanesGA(std::uint32_t c) {
  return ((c >> 8) & 0xFFu) | (static_cast<std::uint64_t>(c >> 24) << 32);
}

struct Axis {
  int size;
  bool clamp;
  bool pow2;
  int wrap(std::int64_t i) const {
    if (clamp) return i < 0 ? 0 : (i >= size ? size - 1 : static_cast<int>(i));
    if (pow2) return static_cast<int>(i & (size - 1));
    const std::int64_t m = i % size;
    return static_cast<int>(m < 0 ? m + size : m);
  }
};

inline std::uint32_t fetch(const Image& image, int x, int y) {
  const std::uint8_t* row = image.row(static_cast<UINT>(y));
  switch (image.format()) {
    case D3DFMT_A8R8G8B8:
      return reinterpret_cast<const std::uint32_t*>(row)[x];
    case D3DFMT_X8R8G8B8:
      return reinterpret_cast<const std::uint32_t*>(row)[x] | 0xFF000000u;
    default:
      return decodeTexel(image.format(), row + x * image.bytesPerPixel());
  }
}

// 16.16 texel coordinates of the run, for one level.
void coordinates(const StageSetup& setup, const Triangle& t, const Image& level, bool linear,
                 int x0, int y, int n, std::int64_t* s, std::int64_t* tt) {
  const double w = level.width(), h = level.height();
  const double shift = linear ? 0.5 : 0.0;  // bilinear filters around texel centres
  if (t.affine) {
    // A fixed-point step along the row from an exact start: the result does
    // not depend on where a thread's band begins.
    const std::int64_t s0 = std::llround((setup.u.at(x0, y) * w - shift) * 65536.0);
    const std::int64_t t0 = std::llround((setup.v.at(x0, y) * h - shift) * 65536.0);
    const std::int64_t ds = std::llround(setup.u.ax * w * 65536.0);
    const std::int64_t dt = std::llround(setup.v.ax * h * 65536.0);
    for (int k = 0; k < n; ++k) {
      s[k] = s0 + ds * k;
      tt[k] = t0 + dt * k;
    }
    return;
  }
  for (int k = 0; k < n; ++k) {
    const double q = 1.0 / t.invW.at(x0 + k, y);
    s[k] = std::llround((setup.u.at(x0 + k, y) * q * w - shift) * 65536.0);
    tt[k] = std::llround((setup.v.at(x0 + k, y) * q * h - shift) * 65536.0);
  }
}

void sampleLevel(const StagePlan& stage, const StageSetup& setup, const Triangle& t,
                 const Image& level, int x0, int y, int n, std::uint32_t* out) {
  std::int64_t s[kChunk], tt[kChunk];
  coordinates(setup, t, level, setup.linear, x0, y, n, s, tt);
  const int w = static_cast<int>(level.width()), h = static_cast<int>(level.height());
  const Axis ax{w, stage.sampler.clampU, (w & (w - 1)) == 0};
  const Axis ay{h, stage.sampler.clampV, (h & (h - 1)) == 0};
  if (!setup.linear) {
    for (int k = 0; k < n; ++k) out[k] = fetch(level, ax.wrap(s[k] >> 16), ay.wrap(tt[k] >> 16));
    return;
  }
  for (int k = 0; k < n; ++k) {
    const std::int64_t i = s[k] >> 16, j = tt[k] >> 16;
    const unsigned fu = static_cast<unsigned>(s[k] >> 8) & 255u;
    const unsigned fv = static_cast<unsigned>(tt[k] >> 8) & 255u;
    const int xa = ax.wrap(i), xb = ax.wrap(i + 1), ya = ay.wrap(j), yb = ay.wrap(j + 1);
    out[k] = bilinear(fetch(level, xa, ya), fetch(level, xb, ya), fetch(level, xa, yb),
                      fetch(level, xb, yb), fu, fv);
  }
}

}  // namespace

std::uint32_t bilinear(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01, std::uint32_t t11,
                       unsigned fu, unsigned fv) {
  // One rounding of the exact weighted sum: weights (256 - fu)(256 - fv) ...
  // add up to 65536, and each 32-bit lane holds at most 255 x 65536.
  const std::uint64_t w00 = (256 - fu) * (256 - fv), w10 = fu * (256 - fv);
  const std::uint64_t w01 = (256 - fu) * fv, w11 = fu * fv;
  constexpr std::uint64_t kHalf = 0x0000800000008000ull;
  const std::uint64_t br =
      lanesBR(t00) * w00 + lanesBR(t10) * w10 + lanesBR(t01) * w01 + lanesBR(t11) * w11 + kHalf;
  const std::uint64_t ga =
      lanesGA(t00) * w00 + lanesGA(t10) * w10 + lanesGA(t01) * w01 + lanesGA(t11) * w11 + kHalf;
  return static_cast<std::uint32_t>(((br >> 16) & 0xFFu) | ((br >> 32) & 0xFF0000u) |
                                    ((ga >> 8) & 0xFF00u) | ((ga >> 24) & 0xFF000000u));
}

std::uint32_t mixLevels(std::uint32_t a, std::uint32_t b, unsigned weight) {
  constexpr std::uint64_t kHalf = 0x0000008000000080ull;
  const std::uint64_t br = lanesBR(a) * (256 - weight) + lanesBR(b) * weight + kHalf;
  const std::uint64_t ga = lanesGA(a) * (256 - weight) + lanesGA(b) * weight + kHalf;
  return static_cast<std::uint32_t>(((br >> 8) & 0xFFu) | ((br >> 24) & 0xFF0000u) |
                                    (ga & 0xFF00u) | ((ga >> 16) & 0xFF000000u));
}

void sampleSpan(const StagePlan& stage, const StageSetup& setup, const Triangle& t, int x0, int y,
                int n, std::uint32_t* out) {
  sampleLevel(stage, setup, t, stage.texture->level(static_cast<UINT>(setup.level0)), x0, y, n,
              out);
  if (setup.level1 < 0) return;
  std::uint32_t second[kChunk];
  sampleLevel(stage, setup, t, stage.texture->level(static_cast<UINT>(setup.level1)), x0, y, n,
              second);
  for (int k = 0; k < n; ++k)
    out[k] = mixLevels(out[k], second[k], static_cast<unsigned>(setup.mipWeight));
}

}  // namespace d3d9impl
