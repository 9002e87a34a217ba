// The stores of span_blend_ops.h eight pixels at a time (AVX2): the same
// arithmetic on each 128-bit half, so the same bits; the last pixels of a
// run go to the four-pixel store.
#include <immintrin.h>

#include "span_blend_ops.h"
#include "wide_vectors.h"

namespace d3d9impl::blend {

namespace {

VK_AVX2 inline __m256i factor8(DWORD mode, __m256i s, __m256i sa, __m256i d, __m256i da) {
  const __m256i full = _mm256_set1_epi16(255);
  const BlendFactor f = blendFactor(mode);
  const __m256i& v = factorSource(f, full, s, sa, d, da);
  return f.complement ? _mm256_sub_epi16(full, v) : v;
}

VK_AVX2 inline __m256i alphas8(__m256i c) {
  return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(c, 0xFF), 0xFF);
}

// blendHalf on four pixels of 16-bit lanes.
VK_AVX2 inline __m256i blendHalf8(DWORD fsMode, DWORD fdMode, __m256i s, __m256i d) {
  const __m256i sa = alphas8(s), da = alphas8(d);
  const __m256i fs = factor8(fsMode, s, sa, d, da), fd = factor8(fdMode, s, sa, d, da);
  __m256i x = _mm256_adds_epu16(_mm256_mullo_epi16(s, fs), _mm256_mullo_epi16(d, fd));
  x = _mm256_sub_epi16(x, _mm256_subs_epu16(x, _mm256_set1_epi16(static_cast<short>(255 * 255))));
  const __m256i t = _mm256_add_epi16(x, _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

VK_AVX2 inline __m256i blendEight(DWORD fsMode, DWORD fdMode, __m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lo =
      blendHalf8(fsMode, fdMode, _mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
  const __m256i hi =
      blendHalf8(fsMode, fdMode, _mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
  return _mm256_packus_epi16(lo, hi);
}

// Each blend of span_blend_ops.h on eight pixels.
template <class Blend>
struct Wide;
template <>
struct Wide<Replace> {
  VK_AVX2 static __m256i apply(const StoreTarget&, __m256i s, __m256i) { return s; }
};
template <>
struct Wide<Add> {
  VK_AVX2 static __m256i apply(const StoreTarget&, __m256i s, __m256i d) {
    return _mm256_adds_epu8(s, d);
  }
};
template <DWORD kSrc, DWORD kDest>
struct Wide<Fixed<kSrc, kDest>> {
  VK_AVX2 static __m256i apply(const StoreTarget&, __m256i s, __m256i d) {
    return blendEight(kSrc, kDest, s, d);
  }
};
// Source over destination: an opaque source gives itself and a clear one
// leaves the destination, both exactly, so eight such pixels skip the sum.
// Opaque and clear stretches are most of a picture with a cut-out.
template <>
struct Wide<Fixed<D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA>> {
  VK_AVX2 static __m256i apply(const StoreTarget&, __m256i s, __m256i d) {
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i a = _mm256_and_si256(s, alpha);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alpha)) == -1) return s;
    if (_mm256_testz_si256(a, a)) return d;
    return blendEight(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, s, d);
  }
};
template <>
struct Wide<Any> {
  VK_AVX2 static __m256i apply(const StoreTarget& t, __m256i s, __m256i d) {
    return blendEight(t.srcBlend, t.destBlend, s, d);
  }
};

template <class Blend, bool kMasked>
VK_AVX2 void storeEightWide(const StoreTarget& target, const std::uint32_t* src, std::uint32_t* row,
                            int n) {
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(target.writeMask));
  const __m256i keep = _mm256_set1_epi32(static_cast<int>(~target.writeMask));
  const __m256i forced = _mm256_set1_epi32(static_cast<int>(target.forced));
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    auto* p = reinterpret_cast<__m256i*>(row + k);
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
    if constexpr (kMasked) {
      const __m256i d = _mm256_or_si256(_mm256_loadu_si256(p), forced);
      const __m256i r = Wide<Blend>::apply(target, s, d);
      _mm256_storeu_si256(
          p, _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(r, mask), _mm256_and_si256(d, keep)),
                             forced));
    } else {
      _mm256_storeu_si256(p, Wide<Blend>::apply(target, s, _mm256_loadu_si256(p)));
    }
  }
  if (k < n) storeFour<Blend>(target, src + k, row + k, n - k);
}

}  // namespace

template <class Blend, bool kMasked>
void storeEight(const StoreTarget& target, const std::uint32_t* src, std::uint32_t* row, int n) {
  storeEightWide<Blend, kMasked>(target, src, row, n);
}

#define VK_STORE_EIGHT(...)                                                              \
  template void storeEight<__VA_ARGS__, true>(const StoreTarget&, const std::uint32_t*,  \
                                              std::uint32_t*, int);                      \
  template void storeEight<__VA_ARGS__, false>(const StoreTarget&, const std::uint32_t*, \
                                               std::uint32_t*, int);
VK_STORE_EIGHT(Replace)
VK_STORE_EIGHT(Add)
VK_STORE_EIGHT(Fixed<D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA>)
VK_STORE_EIGHT(Fixed<D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA>)
VK_STORE_EIGHT(Fixed<D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR>)
VK_STORE_EIGHT(Fixed<D3DBLEND_SRCALPHA, D3DBLEND_ONE>)
VK_STORE_EIGHT(Any)
#undef VK_STORE_EIGHT

}  // namespace d3d9impl::blend
