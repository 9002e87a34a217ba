#include "span_stages_wide.h"

#include <immintrin.h>

#include "wide_vectors.h"

namespace d3d9impl {

namespace {

VK_AVX2 inline __m256i load8(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
VK_AVX2 inline void put8(std::uint32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

VK_AVX2 inline __m256i mul255(__m256i x, __m256i y) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// round(a b / 255) on every byte, as span_stages.cpp's modulate.
VK_AVX2 inline __m256i modulate8(__m256i a, __m256i b) {
  const __m256i zero = _mm256_setzero_si256();
  return _mm256_packus_epi16(mul255(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero)),
                             mul255(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero)));
}

struct Operate {
  DWORD op;
  VK_AVX2 __m256i operator()(__m256i a, __m256i b) const {
    if (op == D3DTOP_ADD) return _mm256_adds_epu8(a, b);
    __m256i r = modulate8(a, b);
    if (op != D3DTOP_MODULATE) r = _mm256_adds_epu8(r, r);  // min(255, 2 m)
    if (op == D3DTOP_MODULATE4X) r = _mm256_adds_epu8(r, r);
    return r;
  }
};

struct Modify {
  __m256i flip;
  bool replicate;
  VK_AVX2 __m256i operator()(__m256i x, __m256i) const {
    __m256i v = _mm256_xor_si256(x, flip);
    if (replicate) {
      v = _mm256_srli_epi32(v, 24);
      v = _mm256_or_si256(v, _mm256_slli_epi32(v, 8));
      v = _mm256_or_si256(v, _mm256_slli_epi32(v, 16));
    }
    return v;
  }
};

struct Merge {
  VK_AVX2 __m256i operator()(__m256i colour, __m256i alpha) const {
    const __m256i top = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    return _mm256_or_si256(_mm256_andnot_si256(top, colour), _mm256_and_si256(top, alpha));
  }
};

// out = op(a, b) on n words (a multiple of 4). A last group of four goes
// through copies as one vector of eight, never read or written beyond n.
template <class Op>
VK_AVX2 void eachEight(const Op& op, const std::uint32_t* a, const std::uint32_t* b, int n,
                       std::uint32_t* out) {
  int k = 0;
  for (; k + 8 <= n; k += 8) put8(out + k, op(load8(a + k), load8(b + k)));
  if (k == n) return;
  alignas(32) std::uint32_t x[8] = {a[k], a[k + 1], a[k + 2], a[k + 3]};
  alignas(32) std::uint32_t y[8] = {b[k], b[k + 1], b[k + 2], b[k + 3]};
  alignas(32) std::uint32_t r[8];
  put8(r, op(load8(x), load8(y)));
  for (int i = 0; i < 4; ++i) out[k + i] = r[i];
}

VK_AVX2 void operateEight(DWORD op, const std::uint32_t* a, const std::uint32_t* b, int n,
                          std::uint32_t* out) {
  eachEight(Operate{op}, a, b, n, out);
}

VK_AVX2 void modifyEight(DWORD arg, const std::uint32_t* in, int n, std::uint32_t* out) {
  const Modify modify{
      (arg & D3DTA_COMPLEMENT) != 0 ? _mm256_set1_epi32(-1) : _mm256_setzero_si256(),
      (arg & D3DTA_ALPHAREPLICATE) != 0};
  eachEight(modify, in, in, n, out);
}

VK_AVX2 void mergeEight(const std::uint32_t* colour, const std::uint32_t* alpha, int n,
                        std::uint32_t* out) {
  eachEight(Merge{}, colour, alpha, n, out);
}

}  // namespace

void operateWide(DWORD op, const std::uint32_t* a, const std::uint32_t* b, int n,
                 std::uint32_t* out) {
  operateEight(op, a, b, n, out);
}

void modifyWide(DWORD arg, const std::uint32_t* in, int n, std::uint32_t* out) {
  modifyEight(arg, in, n, out);
}

void mergeWide(const std::uint32_t* colour, const std::uint32_t* alpha, int n, std::uint32_t* out) {
  mergeEight(colour, alpha, n, out);
}

}  // namespace d3d9impl
