#include "span_sampler_wide.h"

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "wide_vectors.h"

namespace d3d9impl {

namespace {

using Level = StageSampler::Level;
using Steps = StageSampler::Steps;

// Texel index of integer coordinates i on an axis of size lanes.
template <bool kClamp>
VK_AVX2 inline __m256i address(__m256i i, __m256i size) {
  if constexpr (kClamp) {
    const __m256i last = _mm256_sub_epi32(size, _mm256_set1_epi32(1));
    return _mm256_min_epi32(_mm256_max_epi32(i, _mm256_setzero_si256()), last);
  } else {
    return _mm256_and_si256(i, _mm256_sub_epi32(size, _mm256_set1_epi32(1)));
  }
}

// The 16-bit lanes of unpack{lo,hi}_epi8: each pixel's 32-bit value made
// four 16-bit copies (value < 256).
VK_AVX2 inline __m256i spreadLo(__m256i v) {
  const __m256i pair = _mm256_or_si256(v, _mm256_slli_epi32(v, 16));
  return _mm256_unpacklo_epi32(pair, pair);
}
VK_AVX2 inline __m256i spreadHi(__m256i v) {
  const __m256i pair = _mm256_or_si256(v, _mm256_slli_epi32(v, 16));
  return _mm256_unpackhi_epi32(pair, pair);
}

// (256 - fu) a + fu b on 16-bit lanes, exact: at most 255 x 256.
VK_AVX2 inline __m256i across(__m256i a, __m256i b, __m256i fu) {
  return _mm256_add_epi16(_mm256_mullo_epi16(a, _mm256_sub_epi16(_mm256_set1_epi16(256), fu)),
                          _mm256_mullo_epi16(b, fu));
}

// ((256 - fv) A + fv B + 32768) >> 16 on the four channels of the pixel
// pairs in a/b (unpacklo: first pixel of each 128-bit half, unpackhi:
// second), A and B biased by 32768 for the signed multiply-add.
VK_AVX2 inline __m256i down(__m256i a, __m256i b, __m256i w0, __m256i w1) {
  const __m256i bias = _mm256_set1_epi16(static_cast<short>(0x8000));
  const __m256i round = _mm256_set1_epi32(32768 * 256 + 32768);
  a = _mm256_xor_si256(a, bias);
  b = _mm256_xor_si256(b, bias);
  const __m256i p = _mm256_srli_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), w0), round), 16);
  const __m256i q = _mm256_srli_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), w1), round), 16);
  return _mm256_packs_epi32(p, q);
}

bool fitsInt32(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() &&
         v <= std::numeric_limits<std::int32_t>::max();
}

// What stays the same over a level: its texels and its sizes as lanes.
struct LevelLanes {
  const int* base;
  __m256i pitch, w, h;
};

VK_AVX2 inline LevelLanes lanesOf(const Level& level) {
  return {reinterpret_cast<const int*>(level.bits),
          _mm256_set1_epi32(static_cast<int>(level.pitch / 4)), _mm256_set1_epi32(level.w),
          _mm256_set1_epi32(level.h)};
}

// The texels at index and index + 1 of eight pixels: first the pixels'
// left texels, then their right ones, in pixel order. Pixels 0, 1, 4, 5 are
// gathered together and 2, 3, 6, 7, so that the unpacking keeps the order.
VK_AVX2 inline void pairs(const int* base, __m256i index, __m256i* left, __m256i* right) {
  const auto* words = reinterpret_cast<const long long*>(base);
  const __m256i a = _mm256_i32gather_epi64(
      words, _mm256_castsi256_si128(_mm256_permute4x64_epi64(index, 0x08)), 4);
  const __m256i b = _mm256_i32gather_epi64(
      words, _mm256_castsi256_si128(_mm256_permute4x64_epi64(index, 0x0D)), 4);
  *left =
      _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0x88));
  *right =
      _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0xDD));
}

VK_AVX2 inline __m256i filter8(__m256i t00, __m256i t10, __m256i t01, __m256i t11, __m256i s,
                               __m256i t);

// The bilinear samples at eight 16.16 texel coordinates.
template <bool kClampU, bool kClampV>
VK_AVX2 inline __m256i sample8(const LevelLanes& l, __m256i s, __m256i t) {
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i i = _mm256_srai_epi32(s, 16), j = _mm256_srai_epi32(t, 16);
  const __m256i xa = address<kClampU>(i, l.w), xb = address<kClampU>(_mm256_add_epi32(i, one), l.w);
  const __m256i ya = _mm256_mullo_epi32(address<kClampV>(j, l.h), l.pitch);
  const __m256i yb = _mm256_mullo_epi32(address<kClampV>(_mm256_add_epi32(j, one), l.h), l.pitch);
  const __m256i top = _mm256_add_epi32(ya, xa), bottom = _mm256_add_epi32(yb, xa);
  __m256i t00, t10, t01, t11;
  if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(xb, _mm256_add_epi32(xa, one))) == -1) {
    // Each pixel's two texels of a row lie side by side: one 64-bit
    // gather element fetches both, half the elements of four 32-bit gathers.
    pairs(l.base, top, &t00, &t10);
    pairs(l.base, bottom, &t01, &t11);
  } else {  // a texel pair wraps round or is clamped at an edge
    t00 = _mm256_i32gather_epi32(l.base, top, 4);
    t10 = _mm256_i32gather_epi32(l.base, _mm256_add_epi32(ya, xb), 4);
    t01 = _mm256_i32gather_epi32(l.base, bottom, 4);
    t11 = _mm256_i32gather_epi32(l.base, _mm256_add_epi32(yb, xb), 4);
  }
  return filter8(t00, t10, t01, t11, s, t);
}

// The filter of eight pixels from their four texels (t00 t10 on the upper
// row, t01 t11 below) and their 16.16 coordinates.
// filter8 with each pixel's vertical weights given: the (256 - fv, fv)
// pairs of pixels 0 and 4 over their 128-bit halves in w0, 1 and 5 in w1,
// and so on.
VK_AVX2 inline __m256i filterWeighted(__m256i t00, __m256i t10, __m256i t01, __m256i t11, __m256i s,
                                      __m256i w0, __m256i w1, __m256i w2, __m256i w3) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i fu = _mm256_and_si256(_mm256_srai_epi32(s, 8), _mm256_set1_epi32(255));
  const __m256i fuLo = spreadLo(fu), fuHi = spreadHi(fu);
  const __m256i topLo =
      across(_mm256_unpacklo_epi8(t00, zero), _mm256_unpacklo_epi8(t10, zero), fuLo);
  const __m256i topHi =
      across(_mm256_unpackhi_epi8(t00, zero), _mm256_unpackhi_epi8(t10, zero), fuHi);
  const __m256i bottomLo =
      across(_mm256_unpacklo_epi8(t01, zero), _mm256_unpacklo_epi8(t11, zero), fuLo);
  const __m256i bottomHi =
      across(_mm256_unpackhi_epi8(t01, zero), _mm256_unpackhi_epi8(t11, zero), fuHi);
  return _mm256_packus_epi16(down(topLo, bottomLo, w0, w1), down(topHi, bottomHi, w2, w3));
}

// The (256 - fv, fv) pair of each pixel from its 16.16 coordinate t.
VK_AVX2 inline __m256i verticalPairs(__m256i t) {
  const __m256i fv = _mm256_and_si256(_mm256_srai_epi32(t, 8), _mm256_set1_epi32(255));
  return _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(256), fv), _mm256_slli_epi32(fv, 16));
}

VK_AVX2 inline __m256i filter8(__m256i t00, __m256i t10, __m256i t01, __m256i t11, __m256i s,
                               __m256i t) {
  const __m256i wv = verticalPairs(t);
  return filterWeighted(t00, t10, t01, t11, s, _mm256_shuffle_epi32(wv, 0x00),
                        _mm256_shuffle_epi32(wv, 0x55), _mm256_shuffle_epi32(wv, 0xAA),
                        _mm256_shuffle_epi32(wv, 0xFF));
}

// Texel index of integer coordinate i on an axis of size n (scalar).
template <bool kClamp>
inline int addressOne(int i, int n) {
  if constexpr (kClamp) return i < 0 ? 0 : (i >= n ? n - 1 : i);
  return i & (n - 1);
}

// row[index[k]] for eight indices 0..7.
VK_AVX2 inline __m256i texels8(const std::uint32_t* row, __m256i index) {
  return _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row)),
                                     index);
}

// row[index[k]] for eight indices 0..15.
VK_AVX2 inline __m256i texels16(const std::uint32_t* row, __m256i index) {
  const __m256i low = texels8(row, index);
  const __m256i high = texels8(row + 8, index);  // the permute reads index mod 8
  return _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(index, _mm256_set1_epi32(7)));
}

template <bool kTwo>
VK_AVX2 inline __m256i texelsAt(const std::uint32_t* row, __m256i index) {
  if constexpr (kTwo) return texels16(row, index);
  return texels8(row, index);
}

// A run along one texel row (dt 0), each pixel at most one texel on from
// the last (0 <= ds <= 65536, kTwo false) or at most two (65536 < ds <=
// 131072, a 2:1 copy's, kTwo true): the eight pixels of a vector then read
// texels i..i+8, or i..i+15, of both rows, i their first one's, which two
// or four loads a row and in-register permutes fetch without a gather.
// Vectors whose texels reach an edge (wrapped round or clamped) are
// gathered as elsewhere.
template <bool kClampU, bool kClampV, bool kTwo>
VK_AVX2 void oneRowRun(const LevelLanes& l, const Level& level, __m256i s, __m256i t,
                       std::int32_t first, std::int32_t ds, int n, std::uint32_t* out) {
  // The last texel a vector's loads read, from its first: one texel on to
  // the right of the last that the filter uses (an index is at most 7, or
  // 14 with two texels a pixel).
  constexpr int kReach = kTwo ? 16 : 8;
  const int j = static_cast<int>(_mm256_cvtsi256_si32(t)) >> 16;
  const std::uint32_t* upper = level.row(addressOne<kClampV>(j, level.h));
  const std::uint32_t* lower = level.row(addressOne<kClampV>(j + 1, level.h));
  const __m256i ds8 = _mm256_set1_epi32(ds * 8);
  std::int32_t s0 = first;  // lane 0's coordinate
  // One texel row: every pixel has the same vertical weights.
  const __m256i wv = verticalPairs(t);
  for (int k = 0; k < n; k += 8) {
    const int i = s0 >> 16;
    const int x = addressOne<kClampU>(i, level.w);
    // Direct when texels x..x+kReach lie inside the row unchanged: for
    // CLAMP, i itself is inside (not clamped); for WRAP, x is i wrapped once.
    const bool direct = (!kClampU || x == i) && x + kReach <= level.w - 1;
    __m256i sample;
    if (direct) {
      const __m256i index = _mm256_sub_epi32(_mm256_srai_epi32(s, 16), _mm256_set1_epi32(i));
      sample =
          filterWeighted(texelsAt<kTwo>(upper + x, index), texelsAt<kTwo>(upper + x + 1, index),
                         texelsAt<kTwo>(lower + x, index), texelsAt<kTwo>(lower + x + 1, index), s,
                         wv, wv, wv, wv);
    } else {
      sample = sample8<kClampU, kClampV>(l, s, t);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), sample);
    s = _mm256_add_epi32(s, ds8);
    s0 += ds * 8;
  }
}

// (a + b + c + d + 2) >> 2 on 16-bit lanes.
VK_AVX2 inline __m256i quarterSum(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(a, b), _mm256_add_epi16(c, d));
  return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(2)), 2);
}

// (a + b + c + d + 2) >> 2 on every byte: the bilinear sum's one rounding
// when all four weights are a quarter.
VK_AVX2 inline __m256i average4(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i z = _mm256_setzero_si256();
  return _mm256_packus_epi16(quarterSum(_mm256_unpacklo_epi8(a, z), _mm256_unpacklo_epi8(b, z),
                                        _mm256_unpacklo_epi8(c, z), _mm256_unpacklo_epi8(d, z)),
                             quarterSum(_mm256_unpackhi_epi8(a, z), _mm256_unpackhi_epi8(b, z),
                                        _mm256_unpackhi_epi8(c, z), _mm256_unpackhi_epi8(d, z)));
}

VK_AVX2 inline __m256i load8(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// A run of one texel a pixel along one texel row (ds 65536, dt 0), as a
// screen quad drawn texel for pixel has it: every pixel has the same
// weights, and eight pixels' texels are eight in a row. Weights of 0 and
// a half, the usual ones, reduce to a copy or to averages with the same
// rounding as the weighted sum.
template <bool kClampU, bool kClampV>
VK_AVX2 void texelPerPixelRun(const LevelLanes& l, const Level& level, __m256i s, __m256i t,
                              std::int32_t first, int n, std::uint32_t* out) {
  const std::int32_t t0 = _mm256_cvtsi256_si32(t);
  const std::uint32_t* upper = level.row(addressOne<kClampV>(t0 >> 16, level.h));
  const std::uint32_t* lower = level.row(addressOne<kClampV>((t0 >> 16) + 1, level.h));
  const int fu = (first >> 8) & 255, fv = (t0 >> 8) & 255;
  const __m256i wv = verticalPairs(t);
  const __m256i ds8 = _mm256_set1_epi32(65536 * 8);
  std::int32_t s0 = first;  // lane 0's coordinate
  for (int k = 0; k < n; k += 8) {
    const int i = s0 >> 16;
    const int x = addressOne<kClampU>(i, level.w);
    // Direct when texels x..x+8 lie inside the row unchanged.
    const bool direct = (!kClampU || x == i) && x + 8 <= level.w - 1;
    __m256i sample;
    if (!direct) {
      sample = sample8<kClampU, kClampV>(l, s, t);
    } else if (fu == 0 && fv == 0) {
      sample = load8(upper + x);
    } else if (fu == 128 && fv == 0) {
      sample = _mm256_avg_epu8(load8(upper + x), load8(upper + x + 1));
    } else if (fu == 0 && fv == 128) {
      sample = _mm256_avg_epu8(load8(upper + x), load8(lower + x));
    } else if (fu == 128 && fv == 128) {
      sample =
          average4(load8(upper + x), load8(upper + x + 1), load8(lower + x), load8(lower + x + 1));
    } else {
      sample = filterWeighted(load8(upper + x), load8(upper + x + 1), load8(lower + x),
                              load8(lower + x + 1), s, wv, wv, wv, wv);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), sample);
    s = _mm256_add_epi32(s, ds8);
    s0 += 65536 * 8;
  }
}

template <bool kClampU, bool kClampV>
VK_AVX2 bool bilinear8(const Level& level, const Steps& a, int n, std::uint32_t* out) {
  // Eight lanes of 32 bits hold every coordinate of the run (the padding
  // lanes included) only when both of its ends do.
  const int lanes = (n + 7) & ~7;
  if (!fitsInt32(a.s0) || !fitsInt32(a.t0) || !fitsInt32(a.s0 + a.ds * lanes) ||
      !fitsInt32(a.t0 + a.dt * lanes) || !fitsInt32(a.ds * 8) || !fitsInt32(a.dt * 8)) {
    return false;
  }
  const LevelLanes l = lanesOf(level);
  const __m256i step = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i s = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(a.s0)),
                               _mm256_mullo_epi32(step, _mm256_set1_epi32(static_cast<int>(a.ds))));
  __m256i t = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(a.t0)),
                               _mm256_mullo_epi32(step, _mm256_set1_epi32(static_cast<int>(a.dt))));
  if (a.dt == 0 && a.ds == 65536) {
    texelPerPixelRun<kClampU, kClampV>(l, level, s, t, static_cast<std::int32_t>(a.s0), n, out);
    return true;
  }
  if (a.dt == 0 && a.ds >= 0 && a.ds <= 65536) {
    oneRowRun<kClampU, kClampV, false>(l, level, s, t, static_cast<std::int32_t>(a.s0),
                                       static_cast<std::int32_t>(a.ds), n, out);
    return true;
  }
  if (a.dt == 0 && a.ds > 65536 && a.ds <= 131072) {
    oneRowRun<kClampU, kClampV, true>(l, level, s, t, static_cast<std::int32_t>(a.s0),
                                      static_cast<std::int32_t>(a.ds), n, out);
    return true;
  }
  const __m256i ds8 = _mm256_set1_epi32(static_cast<int>(a.ds * 8));
  const __m256i dt8 = _mm256_set1_epi32(static_cast<int>(a.dt * 8));
  for (int k = 0; k < n; k += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), sample8<kClampU, kClampV>(l, s, t));
    s = _mm256_add_epi32(s, ds8);
    t = _mm256_add_epi32(t, dt8);
  }
  return true;
}

template <bool kClampU, bool kClampV>
VK_AVX2 void bilinearPoints8(const Level& level, const std::int32_t* s, const std::int32_t* t,
                             int n, std::uint32_t* out) {
  const LevelLanes l = lanesOf(level);
  for (int k = 0; k < n; k += 8) {
    const __m256i sk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + k));
    const __m256i tk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + k));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), sample8<kClampU, kClampV>(l, sk, tk));
  }
}

// (256 - w) a + w b, rounded, on every byte: mixSpan's (span_sampler.cpp).
VK_AVX2 inline __m256i mixed8(__m256i a, __m256i b, __m256i wa, __m256i wb) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i half = _mm256_set1_epi16(128);
  const __m256i lo = _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(a, zero), wa),
                                        _mm256_mullo_epi16(_mm256_unpacklo_epi8(b, zero), wb)),
                       half),
      8);
  const __m256i hi = _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(a, zero), wa),
                                        _mm256_mullo_epi16(_mm256_unpackhi_epi8(b, zero), wb)),
                       half),
      8);
  return _mm256_packus_epi16(lo, hi);
}

// mixSpan eight pixels at a time; the last ones four at a time through
// copies, as mixSpan reads them.
VK_AVX2 void mix8(std::uint32_t* out, const std::uint32_t* second, unsigned weight, int n) {
  const __m256i wb = _mm256_set1_epi16(static_cast<short>(weight));
  const __m256i wa = _mm256_set1_epi16(static_cast<short>(256 - weight));
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    auto* p = reinterpret_cast<__m256i*>(out + k);
    _mm256_storeu_si256(
        p, mixed8(_mm256_loadu_si256(p),
                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second + k)), wa, wb));
  }
  for (; k < n; k += 4) {  // as mixSpan, n rounded up to a multiple of 4
    alignas(32) std::uint32_t a[8] = {out[k], out[k + 1], out[k + 2], out[k + 3]};
    alignas(32) std::uint32_t b[8] = {second[k], second[k + 1], second[k + 2], second[k + 3]};
    const __m256i r = mixed8(_mm256_load_si256(reinterpret_cast<const __m256i*>(a)),
                             _mm256_load_si256(reinterpret_cast<const __m256i*>(b)), wa, wb);
    _mm256_store_si256(reinterpret_cast<__m256i*>(a), r);
    for (int i = 0; i < 4; ++i) out[k + i] = a[i];
  }
}

// roundToInt64 of four values known to lie well inside 32 bits, as the
// narrow starts' roundPair (span_sampler.cpp) has it.
VK_AVX2 inline __m128i round4(__m256d x) {
  const __m128i i = _mm256_cvttpd_epi32(x);  // truncates
  const __m256d rest = _mm256_sub_pd(x, _mm256_cvtepi32_pd(i));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d up = _mm256_and_pd(_mm256_cmp_pd(rest, _mm256_set1_pd(0.5), _CMP_GE_OQ), one);
  const __m256d down = _mm256_and_pd(_mm256_cmp_pd(rest, _mm256_set1_pd(-0.5), _CMP_LE_OQ), one);
  return _mm_add_epi32(i, _mm256_cvttpd_epi32(_mm256_sub_pd(up, down)));
}

// Plane::at of four points, in the same order of operations.
VK_AVX2 inline __m256d plane4(const Plane& p, __m256d x, __m256d y) {
  return _mm256_add_pd(_mm256_add_pd(_mm256_set1_pd(p.a0), _mm256_mul_pd(_mm256_set1_pd(p.ax), x)),
                       _mm256_mul_pd(_mm256_set1_pd(p.ay), y));
}

static_assert(StageSampler::kRuns % 4 == 0, "the starts are found four runs at a time");

VK_AVX2 void starts4(const Plane& u, const Plane& v, double shift, const double* w, const double* h,
                     int passes, const int* x0, const int* y, int count,
                     StageSampler::Starts* out) {
  const __m256d shifts = _mm256_set1_pd(shift), unit = _mm256_set1_pd(65536.0);
  for (int r = 0; r < count; r += 4) {
    // Lanes past the last run repeat it.
    const int last = count - 1;
    const int a = r, b = std::min(r + 1, last), c = std::min(r + 2, last),
              d = std::min(r + 3, last);
    const __m256d xs = _mm256_setr_pd(x0[a], x0[b], x0[c], x0[d]);
    const __m256d ys = _mm256_setr_pd(y[a], y[b], y[c], y[d]);
    const __m256d pu = plane4(u, xs, ys), pv = plane4(v, xs, ys);
    for (int i = 0; i < passes; ++i) {
      const __m256d s =
          _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(pu, _mm256_set1_pd(w[i])), shifts), unit);
      const __m256d t =
          _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(pv, _mm256_set1_pd(h[i])), shifts), unit);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out->s[i] + r), round4(s));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out->t[i] + r), round4(t));
    }
  }
}

}  // namespace

StageSampler::FourStarts wideStarts() { return useWideVectors() ? starts4 : nullptr; }

StageSampler::Mix wideMix() { return useWideVectors() ? mix8 : nullptr; }

WideFilter wideBilinear(bool clampU, bool clampV) {
  if (!useWideVectors()) return nullptr;
  if (clampU) return clampV ? bilinear8<true, true> : bilinear8<true, false>;
  return clampV ? bilinear8<false, true> : bilinear8<false, false>;
}

WidePointsFilter wideBilinearPoints(bool clampU, bool clampV) {
  if (!useWideVectors()) return nullptr;
  if (clampU) return clampV ? bilinearPoints8<true, true> : bilinearPoints8<true, false>;
  return clampV ? bilinearPoints8<false, true> : bilinearPoints8<false, false>;
}

}  // namespace d3d9impl
