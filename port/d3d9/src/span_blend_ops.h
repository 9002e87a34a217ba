// The blends of the fast path four pixels at a time (SSE2), and the stores
// built on them: shared by span_blend.cpp, which chooses one per draw, and
// span_blend_wide.cpp, which stores eight at a time and leaves the last
// pixels of a run to these. All give shadeSpan's bits.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "blend_factor.h"
#include "span_blend.h"

namespace d3d9impl::blend {

// A factor of the blend on 16-bit lanes (two pixels): s, d the colours,
// sa, da their alphas repeated over the four channels.
inline __m128i factor(DWORD mode, __m128i s, __m128i sa, __m128i d, __m128i da) {
  const __m128i full = _mm_set1_epi16(255);
  const BlendFactor f = blendFactor(mode);
  const __m128i& v = factorSource(f, full, s, sa, d, da);
  return f.complement ? _mm_sub_epi16(full, v) : v;
}

inline __m128i alphas(__m128i c) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(c, 0xFF), 0xFF); }

// blendChannel (pixel_pipeline.h) on 16-bit lanes. Each product is at most
// 255 x 255; the saturating add and the minimum clamp the sum as it does.
inline __m128i blendHalf(DWORD fsMode, DWORD fdMode, __m128i s, __m128i d) {
  const __m128i sa = alphas(s), da = alphas(d);
  const __m128i fs = factor(fsMode, s, sa, d, da), fd = factor(fdMode, s, sa, d, da);
  __m128i x = _mm_adds_epu16(_mm_mullo_epi16(s, fs), _mm_mullo_epi16(d, fd));
  x = _mm_sub_epi16(x, _mm_subs_epu16(x, _mm_set1_epi16(static_cast<short>(255 * 255))));
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}

inline __m128i blendFour(DWORD fsMode, DWORD fdMode, __m128i s, __m128i d) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo =
      blendHalf(fsMode, fdMode, _mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
  const __m128i hi =
      blendHalf(fsMode, fdMode, _mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
  return _mm_packus_epi16(lo, hi);
}

struct Replace {  // no blend, or ONE/ZERO: the source exactly
  static __m128i apply(const StoreTarget&, __m128i s, __m128i) { return s; }
};
struct Add {  // ONE/ONE: round(255 (s + d) / 255), clamped, is a saturating add
  static __m128i apply(const StoreTarget&, __m128i s, __m128i d) { return _mm_adds_epu8(s, d); }
};
template <DWORD kSrc, DWORD kDest>
struct Fixed {
  static __m128i apply(const StoreTarget&, __m128i s, __m128i d) {
    return blendFour(kSrc, kDest, s, d);
  }
};
struct Any {
  static __m128i apply(const StoreTarget& t, __m128i s, __m128i d) {
    return blendFour(t.srcBlend, t.destBlend, s, d);
  }
};

template <class Blend>
inline void storeFourAt(const StoreTarget& target, __m128i mask, __m128i keep, __m128i forced,
                        const std::uint32_t* src, std::uint32_t* row) {
  auto* p = reinterpret_cast<__m128i*>(row);
  const __m128i d = _mm_or_si128(_mm_loadu_si128(p), forced);
  const __m128i r = Blend::apply(target, _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), d);
  _mm_storeu_si128(
      p, _mm_or_si128(_mm_or_si128(_mm_and_si128(r, mask), _mm_and_si128(d, keep)), forced));
}

// Blends src[0..n) into row[0..n) four pixels at a time.
template <class Blend>
void storeFour(const StoreTarget& target, const std::uint32_t* src, std::uint32_t* row, int n) {
  const __m128i mask = _mm_set1_epi32(static_cast<int>(target.writeMask));
  const __m128i keep = _mm_set1_epi32(static_cast<int>(~target.writeMask));
  const __m128i forced = _mm_set1_epi32(static_cast<int>(target.forced));
  int k = 0;
  for (; k + 4 <= n; k += 4) storeFourAt<Blend>(target, mask, keep, forced, src + k, row + k);
  switch (n - k) {  // the last pixels, without touching any beyond the run
    case 0:
      return;
    case 1: {
      std::uint32_t last[4] = {row[k]};
      storeFourAt<Blend>(target, mask, keep, forced, src + k, last);
      row[k] = last[0];
      return;
    }
    case 2: {
      std::uint32_t last[4] = {row[k], row[k + 1]};
      storeFourAt<Blend>(target, mask, keep, forced, src + k, last);
      row[k] = last[0];
      row[k + 1] = last[1];
      return;
    }
    default: {
      std::uint32_t last[4] = {row[k], row[k + 1], row[k + 2]};
      storeFourAt<Blend>(target, mask, keep, forced, src + k, last);
      row[k] = last[0];
      row[k + 1] = last[1];
      row[k + 2] = last[2];
      return;
    }
  }
}

// The same eight pixels at a time with 256-bit vectors (span_blend_wide.cpp);
// only where useWideVectors() (wide_vectors.h). kMasked false: for targets
// whose every bit is written and none forced, which skip the masking.
template <class Blend, bool kMasked>
void storeEight(const StoreTarget& target, const std::uint32_t* src, std::uint32_t* row, int n);

}  // namespace d3d9impl::blend
