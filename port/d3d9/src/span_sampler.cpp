#include "span_sampler.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

#include "sampler.h"
#include "span_sampler_wide.h"
#include "texture.h"

namespace d3d9impl {

namespace {

enum class Address { kClamp, kWrapPow2, kWrap };

template <Address A>
inline int wrap(std::int64_t i, int size) {
  if constexpr (A == Address::kClamp) {
    return i < 0 ? 0 : (i >= size ? size - 1 : static_cast<int>(i));
  } else if constexpr (A == Address::kWrapPow2) {
    return static_cast<int>(i & (size - 1));
  } else {
    const std::int64_t m = i % size;
    return static_cast<int>(m < 0 ? m + size : m);
  }
}

using Level = StageSampler::Level;
using AffineSteps = StageSampler::Steps;

template <Address U, Address V>
void pointLevel(const Level& level, const AffineSteps& a, int n, std::uint32_t* out) {
  const Level l = level;  // locals: the stores below cannot change them
  std::uint64_t s = static_cast<std::uint64_t>(a.s0), t = static_cast<std::uint64_t>(a.t0);
  for (int k = 0; k < n; ++k) {
    out[k] = l.row(wrap<V>(static_cast<std::int64_t>(t) >> 16,
                           l.h))[wrap<U>(static_cast<std::int64_t>(s) >> 16, l.w)];
    s += static_cast<std::uint64_t>(a.ds);
    t += static_cast<std::uint64_t>(a.dt);
  }
}

// Two bilinear samples. The reference rounds the exact sum of the four
// weighted texels once; here the sum is formed as (256 - fv) A + fv B, with A
// and B the exact horizontal sums (16 bits), biased by 32768 so that the
// signed multiply-add takes them: the bias costs exactly 32768 x 256.
// top = (t00 p, t00 q, t10 p, t10 q), bottom likewise one row down; fu has
// pixel p's weight in 16-bit lanes 0..3 and q's in 4..7; wp, wq hold
// (256 - fv, fv) pairs of p and q.
inline __m128i filterPair(__m128i top, __m128i bottom, __m128i fu, __m128i wp, __m128i wq) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i gu = _mm_sub_epi16(_mm_set1_epi16(256), fu);
  const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i a =
      _mm_xor_si128(bias, _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(top, zero), gu),
                                        _mm_mullo_epi16(_mm_unpackhi_epi8(top, zero), fu)));
  const __m128i b =
      _mm_xor_si128(bias, _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(bottom, zero), gu),
                                        _mm_mullo_epi16(_mm_unpackhi_epi8(bottom, zero), fu)));
  const __m128i round = _mm_set1_epi32(32768 * 256 + 32768);
  const __m128i p =
      _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(a, b), wp), round), 16);
  const __m128i q =
      _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(a, b), wq), round), 16);
  const __m128i words = _mm_packs_epi32(p, q);
  return _mm_packus_epi16(words, words);
}

// Texels (x0, x1) of a row as one 64-bit lane: one load when they lie side by side.
inline __m128i texelPair(const std::uint32_t* row, int x0, int x1) {
  if (x1 == x0 + 1) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x0));
  return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(row[x0])),
                            _mm_cvtsi32_si128(static_cast<int>(row[x1])));
}

// 16-bit lanes 0..3 = bits 8..15 of the low 64-bit lane, 4..7 = of the high one.
inline __m128i fractions(__m128i st) {
  const __m128i f = _mm_and_si128(_mm_srli_epi64(st, 8), _mm_set1_epi64x(255));
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(f, 0), 0);
}

template <Address U, Address V, bool kRowConstant>
void bilinearLevel(const Level& level, const AffineSteps& a, int n, std::uint32_t* out) {
  const Level l = level;  // locals: the stores below cannot change them
  std::uint64_t s = static_cast<std::uint64_t>(a.s0), t = static_cast<std::uint64_t>(a.t0);
  const std::uint64_t ds = static_cast<std::uint64_t>(a.ds), dt = static_cast<std::uint64_t>(a.dt);
  // Both pixels' coordinates, for the weights: pixel p low, q high.
  __m128i ss = _mm_set_epi64x(static_cast<long long>(s + ds), static_cast<long long>(s));
  __m128i tt = _mm_set_epi64x(static_cast<long long>(t + dt), static_cast<long long>(t));
  const __m128i ds2 = _mm_set1_epi64x(static_cast<long long>(2 * ds));
  const __m128i dt2 = _mm_set1_epi64x(static_cast<long long>(2 * dt));
  const std::uint32_t* rowA = nullptr;
  const std::uint32_t* rowB = nullptr;
  __m128i wp = _mm_setzero_si128(), wq = _mm_setzero_si128();
  auto verticalWeights = [&]() {
    const __m128i fv = fractions(tt);
    const __m128i gv = _mm_sub_epi16(_mm_set1_epi16(256), fv);
    wp = _mm_unpacklo_epi16(gv, fv);
    wq = _mm_unpackhi_epi16(gv, fv);
  };
  if constexpr (kRowConstant) {
    const std::int64_t j = static_cast<std::int64_t>(t) >> 16;
    rowA = l.row(wrap<V>(j, l.h));
    rowB = l.row(wrap<V>(j + 1, l.h));
    verticalWeights();
  }
  for (int k = 0; k < n; k += 2) {
    __m128i top[2], bottom[2];
    for (int e = 0; e < 2; ++e) {
      const std::int64_t i = static_cast<std::int64_t>(s) >> 16;
      const int xa = wrap<U>(i, l.w), xb = wrap<U>(i + 1, l.w);
      const std::uint32_t* ra = rowA;
      const std::uint32_t* rb = rowB;
      if constexpr (!kRowConstant) {
        const std::int64_t j = static_cast<std::int64_t>(t) >> 16;
        ra = l.row(wrap<V>(j, l.h));
        rb = l.row(wrap<V>(j + 1, l.h));
      }
      top[e] = texelPair(ra, xa, xb);
      bottom[e] = texelPair(rb, xa, xb);
      s += ds;
      t += dt;
    }
    if constexpr (!kRowConstant) verticalWeights();
    const __m128i fu = fractions(ss);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k),
                     filterPair(_mm_unpacklo_epi32(top[0], top[1]),
                                _mm_unpacklo_epi32(bottom[0], bottom[1]), fu, wp, wq));
    ss = _mm_add_epi64(ss, ds2);
    tt = _mm_add_epi64(tt, dt2);
  }
}

// The filters at listed coordinates, one pixel at a time: the reference
// sampler's arithmetic on 32-bit levels.
template <Address U, Address V>
void pointPoints(const Level& l, const std::int64_t* s, const std::int64_t* t, int n,
                 std::uint32_t* out) {
  for (int k = 0; k < n; ++k) out[k] = l.row(wrap<V>(t[k] >> 16, l.h))[wrap<U>(s[k] >> 16, l.w)];
}

template <Address U, Address V>
void bilinearPoints(const Level& l, const std::int64_t* s, const std::int64_t* t, int n,
                    std::uint32_t* out) {
  for (int k = 0; k < n; ++k) {
    const std::int64_t i = s[k] >> 16, j = t[k] >> 16;
    const int xa = wrap<U>(i, l.w), xb = wrap<U>(i + 1, l.w);
    const std::uint32_t* ra = l.row(wrap<V>(j, l.h));
    const std::uint32_t* rb = l.row(wrap<V>(j + 1, l.h));
    out[k] = bilinear(ra[xa], ra[xb], rb[xa], rb[xb], static_cast<unsigned>(s[k] >> 8) & 255u,
                      static_cast<unsigned>(t[k] >> 8) & 255u);
  }
}

template <Address U, Address V>
StageSampler::PointsFilter pickPoints(bool linear) {
  return linear ? bilinearPoints<U, V> : pointPoints<U, V>;
}

template <Address U>
StageSampler::PointsFilter pickPointsV(Address v, bool linear) {
  switch (v) {
    case Address::kClamp:
      return pickPoints<U, Address::kClamp>(linear);
    case Address::kWrapPow2:
      return pickPoints<U, Address::kWrapPow2>(linear);
    default:
      return pickPoints<U, Address::kWrap>(linear);
  }
}

StageSampler::PointsFilter choosePoints(Address u, Address v, bool linear) {
  switch (u) {
    case Address::kClamp:
      return pickPointsV<Address::kClamp>(v, linear);
    case Address::kWrapPow2:
      return pickPointsV<Address::kWrapPow2>(v, linear);
    default:
      return pickPointsV<Address::kWrap>(v, linear);
  }
}

bool fitsInt32(const std::int64_t* v, int n) {
  for (int k = 0; k < n; ++k) {
    if (v[k] < INT32_MIN || v[k] > INT32_MAX) return false;
  }
  return true;
}

using LevelSampler = StageSampler::Filter;

template <Address U, Address V>
LevelSampler pick(bool linear, bool rowConstant) {
  if (!linear) return pointLevel<U, V>;
  return rowConstant ? bilinearLevel<U, V, true> : bilinearLevel<U, V, false>;
}

template <Address U>
LevelSampler pickV(Address v, bool linear, bool rowConstant) {
  switch (v) {
    case Address::kClamp:
      return pick<U, Address::kClamp>(linear, rowConstant);
    case Address::kWrapPow2:
      return pick<U, Address::kWrapPow2>(linear, rowConstant);
    default:
      return pick<U, Address::kWrap>(linear, rowConstant);
  }
}

Address addressOf(bool clamp, int size) {
  if (clamp) return Address::kClamp;
  return (size & (size - 1)) == 0 ? Address::kWrapPow2 : Address::kWrap;
}

LevelSampler chooseFilter(Address u, Address v, bool linear, bool rowConstant) {
  switch (u) {
    case Address::kClamp:
      return pickV<Address::kClamp>(v, linear, rowConstant);
    case Address::kWrapPow2:
      return pickV<Address::kWrapPow2>(v, linear, rowConstant);
    default:
      return pickV<Address::kWrap>(v, linear, rowConstant);
  }
}

// mixLevels (sampler.h) on four pixels: 8-bit weight, one rounding.
void mixSpan(std::uint32_t* out, const std::uint32_t* second, unsigned weight, int n) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i wb = _mm_set1_epi16(static_cast<short>(weight));
  const __m128i wa = _mm_set1_epi16(static_cast<short>(256 - weight));
  const __m128i half = _mm_set1_epi16(128);
  for (int k = 0; k < n; k += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + k));
    auto mix = [&](__m128i x, __m128i y) {
      return _mm_srli_epi16(
          _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(x, wa), _mm_mullo_epi16(y, wb)), half), 8);
    };
    const __m128i lo = mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i hi = mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(lo, hi));
  }
}

}  // namespace

void StageLevels::prepare(const StagePlan& stage) {
  mix_ = wideMix();
  if (mix_ == nullptr) mix_ = mixSpan;
  fourStarts_ = wideStarts();
  for (UINT i = 0; i < stage.texture->levelCount(); ++i) {
    // fastSamplable made sure the word form exists.
    const Image& image = *stage.texture->wordLevel(i);
    LevelPlan& l = levels_[i];
    l.level = {image.bits(), image.pitch(), static_cast<int>(image.width()),
               static_cast<int>(image.height())};
    const Address u = addressOf(stage.sampler.clampU, l.level.w);
    const Address v = addressOf(stage.sampler.clampV, l.level.h);
    for (const bool linear : {false, true}) {
      for (const bool rowConstant : {false, true})
        l.filter[linear][rowConstant] = chooseFilter(u, v, linear, rowConstant);
      l.points[linear] = choosePoints(u, v, linear);
    }
    const bool wide = u != Address::kWrap && v != Address::kWrap;
    l.wide = wide ? wideBilinear(stage.sampler.clampU, stage.sampler.clampV) : nullptr;
    l.widePoints = wide ? wideBilinearPoints(stage.sampler.clampU, stage.sampler.clampV) : nullptr;
    l.opaque = image.format() == D3DFMT_X8R8G8B8;
  }
}

StageSampler::StageSampler(const StageLevels& levels, const StageSetup& setup)
    : setup_(setup),
      shift_(setup.linear ? 0.5 : 0.0),  // bilinear filters around texel centres
      passes_(setup.level1 < 0 ? 1 : 2),
      weight_(static_cast<unsigned>(setup.mipWeight)),
      mix_(levels.mix()),
      fourStarts_(levels.fourStarts()) {
  for (int i = 0; i < passes_; ++i) {
    const LevelPlan& l = levels.level(i == 0 ? setup.level0 : setup.level1);
    Pass& p = pass_[i];
    p.level = l.level;
    p.w = l.level.w;
    p.h = l.level.h;
    // The steps along a row, as the reference sampler rounds them.
    p.ds = roundToInt64(setup.u.ax * p.w * 65536.0);
    p.dt = roundToInt64(setup.v.ax * p.h * 65536.0);
    const auto ds = static_cast<std::uint32_t>(p.ds), dt = static_cast<std::uint32_t>(p.dt);
    p.rampS =
        _mm_setr_epi32(0, static_cast<int>(ds), static_cast<int>(2 * ds), static_cast<int>(3 * ds));
    p.rampT =
        _mm_setr_epi32(0, static_cast<int>(dt), static_cast<int>(2 * dt), static_cast<int>(3 * dt));
    p.stepS = _mm_set1_epi32(static_cast<int>(4 * ds));
    p.stepT = _mm_set1_epi32(static_cast<int>(4 * dt));
    p.filter = l.filter[setup.linear][p.dt == 0];
    p.wide = setup.linear ? l.wide : nullptr;
    p.points = l.points[setup.linear];
    p.widePoints = setup.linear ? l.widePoints : nullptr;
    p.opaque = l.opaque;
  }
}

StageSampler::Steps StageSampler::start(const Pass& p, double u, double v) const {
  // The exact start of the run, as the reference sampler computes it: the
  // result does not depend on where a thread's band begins.
  return {roundToInt64((u * p.w - shift_) * 65536.0), roundToInt64((v * p.h - shift_) * 65536.0),
          p.ds, p.dt};
}

void StageSampler::run(const Pass& p, int x0, int y, int n, std::uint32_t* out) const {
  const Steps steps = start(p, setup_.u.at(x0, y), setup_.v.at(x0, y));
  if (p.wide == nullptr || !p.wide(p.level, steps, n, out)) p.filter(p.level, steps, n, out);
  finish(p, n, out);
}

void StageSampler::finish(const Pass& p, int n, std::uint32_t* out) const {
  if (p.opaque) {
    // Opaque texels filter to opaque samples: alpha can be set afterwards.
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (int k = 0; k < n; k += 4) {
      auto* q = reinterpret_cast<__m128i*>(out + k);
      _mm_storeu_si128(q, _mm_or_si128(_mm_loadu_si128(q), opaque));
    }
  }
}

void StageSampler::list(int x0, int y, int n, Points* points, int at) const {
  // Both passes start from the same point of the planes.
  const double u = setup_.u.at(x0, y), v = setup_.v.at(x0, y);
  for (int i = 0; i < passes_; ++i) {
    const Steps steps = start(pass_[i], u, v);
    // Unsigned steps, as the filters take them: wrapping, never undefined.
    auto s = static_cast<std::uint64_t>(steps.s0);
    auto t = static_cast<std::uint64_t>(steps.t0);
    for (int k = 0; k < n; ++k) {
      points->s[i][at + k] = static_cast<std::int64_t>(s);
      points->t[i][at + k] = static_cast<std::int64_t>(t);
      s += static_cast<std::uint64_t>(steps.ds);
      t += static_cast<std::uint64_t>(steps.dt);
    }
  }
}

void StageSampler::samplePoints(const Points& points, int n, std::uint32_t* out) const {
  alignas(16) std::uint32_t second[Points::kSize];
  for (int i = 0; i < passes_; ++i) {
    const Pass& p = pass_[i];
    std::uint32_t* to = i == 0 ? out : second;
    const std::int64_t* s = points.s[i];
    const std::int64_t* t = points.t[i];
    if (p.widePoints != nullptr && fitsInt32(s, n) && fitsInt32(t, n)) {
      // Eight lanes at a time: the last ones padded with a listed point.
      alignas(32) std::int32_t s32[Points::kSize], t32[Points::kSize];
      const int lanes = (n + 7) & ~7;
      for (int k = 0; k < lanes; ++k) {
        s32[k] = static_cast<std::int32_t>(s[k < n ? k : 0]);
        t32[k] = static_cast<std::int32_t>(t[k < n ? k : 0]);
      }
      p.widePoints(p.level, s32, t32, n, to);
    } else {
      p.points(p.level, s, t, n, to);
    }
    finish(p, n, to);
  }
  if (passes_ == 2) mix_(out, second, weight_, n);
}

namespace {

// Coordinates of a narrow triangle stay this far inside 32 bits: the run
// starts' rounding and the steps' error along a run (half a unit each) are
// far smaller.
constexpr double kNarrowLimit = 2147483648.0 - 1048576.0;

// roundToInt64 of two values known to lie well inside 32 bits, in lanes 0, 1.
inline __m128i roundPair(__m128d x) {
  const __m128i i = _mm_cvttpd_epi32(x);  // truncates
  const __m128d rest = _mm_sub_pd(x, _mm_cvtepi32_pd(i));
  // All-ones 64-bit masks, their low halves moved to lanes 0 and 1.
  const __m128i up = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpge_pd(rest, _mm_set1_pd(0.5))),
                                       _MM_SHUFFLE(3, 3, 2, 0));
  const __m128i down = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmple_pd(rest, _mm_set1_pd(-0.5))),
                                         _MM_SHUFFLE(3, 3, 2, 0));
  return _mm_add_epi32(_mm_sub_epi32(i, up), down);
}

// Plane::at of two points, in the same order of operations.
inline __m128d planePair(const Plane& p, __m128d x, __m128d y) {
  return _mm_add_pd(_mm_add_pd(_mm_set1_pd(p.a0), _mm_mul_pd(_mm_set1_pd(p.ax), x)),
                    _mm_mul_pd(_mm_set1_pd(p.ay), y));
}

}  // namespace

bool StageSampler::fitsNarrow(int minX, int maxX, int y0, int y1) const {
  // The planes are largest at a corner of the rectangle; a pass's
  // coordinates are then at most (max |u| w + shift) 65536, give or take
  // rounding that the limit's room covers.
  double u = 0.0, v = 0.0;
  for (const int x : {minX, maxX}) {
    for (const int y : {y0, y1}) {
      u = std::max(u, std::abs(setup_.u.at(x, y)));
      v = std::max(v, std::abs(setup_.v.at(x, y)));
    }
  }
  for (int i = 0; i < passes_; ++i) {
    const Pass& p = pass_[i];
    if (p.widePoints == nullptr) return false;
    if (!((u * p.w + shift_) * 65536.0 < kNarrowLimit &&
          (v * p.h + shift_) * 65536.0 < kNarrowLimit))
      return false;
  }
  return true;
}

void StageSampler::starts(const int* x0, const int* y, int count, Starts* out) const {
  if (fourStarts_ != nullptr) {
    const bool two = passes_ == 2;
    const double w[2] = {pass_[0].w, two ? pass_[1].w : 0.0};
    const double h[2] = {pass_[0].h, two ? pass_[1].h : 0.0};
    fourStarts_(setup_.u, setup_.v, shift_, w, h, passes_, x0, y, count, out);
    return;
  }
  // As start() has them, two runs at a time.
  for (int r = 0; r < count; r += 2) {
    const int q = r + 1 < count ? r + 1 : r;
    const __m128d xs = _mm_set_pd(x0[q], x0[r]), ys = _mm_set_pd(y[q], y[r]);
    const __m128d u = planePair(setup_.u, xs, ys), v = planePair(setup_.v, xs, ys);
    const __m128d shift = _mm_set1_pd(shift_), unit = _mm_set1_pd(65536.0);
    for (int i = 0; i < passes_; ++i) {
      const Pass& p = pass_[i];
      const __m128d s = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(u, _mm_set1_pd(p.w)), shift), unit);
      const __m128d t = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(v, _mm_set1_pd(p.h)), shift), unit);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out->s[i] + r), roundPair(s));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out->t[i] + r), roundPair(t));
    }
  }
}

void StageSampler::sampleNarrow(NarrowPoints* points, int n, std::uint32_t* out) const {
  alignas(16) std::uint32_t second[Points::kSize];
  const int lanes = (n + 7) & ~7;
  for (int i = 0; i < passes_; ++i) {
    const Pass& p = pass_[i];
    std::uint32_t* to = i == 0 ? out : second;
    for (int k = n; k < lanes; ++k) {
      points->s[i][k] = points->s[i][n - 1];
      points->t[i][k] = points->t[i][n - 1];
    }
    p.widePoints(p.level, points->s[i], points->t[i], n, to);
    finish(p, n, to);
  }
  if (passes_ == 2) mix_(out, second, weight_, n);
}

void StageSampler::sample(int x0, int y, int n, std::uint32_t* out) const {
  run(pass_[0], x0, y, n, out);
  if (passes_ == 1) return;
  alignas(16) std::uint32_t second[64];
  run(pass_[1], x0, y, n, second);
  mix_(out, second, weight_, n);
}

bool fastSamplable(const Texture& texture) {
  for (UINT i = 0; i < texture.levelCount(); ++i) {
    if (texture.wordLevel(i) == nullptr) return false;
  }
  return true;
}

}  // namespace d3d9impl
