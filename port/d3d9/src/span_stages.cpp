#include "span_stages.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

#include "span_sampler.h"
#include "span_stages_wide.h"
#include "wide_vectors.h"

namespace d3d9impl {

namespace {

inline __m128i load(const std::uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void put(std::uint32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// round(a b / 255) on every byte (mul255).
inline __m128i modulate(__m128i a, __m128i b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i half = _mm_set1_epi16(128);
  auto mul = [&](__m128i x, __m128i y) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), half);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  return _mm_packus_epi16(mul(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                          mul(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
}

void operate(DWORD op, const std::uint32_t* a, const std::uint32_t* b, int n, std::uint32_t* out) {
  for (int k = 0; k < n; k += 4) {
    __m128i r;
    if (op == D3DTOP_ADD) {
      r = _mm_adds_epu8(load(a + k), load(b + k));
    } else {
      r = modulate(load(a + k), load(b + k));
      if (op != D3DTOP_MODULATE) r = _mm_adds_epu8(r, r);  // min(255, 2 m)
      if (op == D3DTOP_MODULATE4X) r = _mm_adds_epu8(r, r);
    }
    put(out + k, r);
  }
}

void modify(DWORD arg, const std::uint32_t* in, int n, std::uint32_t* out) {
  const __m128i flip = (arg & D3DTA_COMPLEMENT) != 0 ? _mm_set1_epi32(-1) : _mm_setzero_si128();
  const bool replicate = (arg & D3DTA_ALPHAREPLICATE) != 0;
  for (int k = 0; k < n; k += 4) {
    __m128i v = _mm_xor_si128(load(in + k), flip);
    if (replicate) {
      v = _mm_srli_epi32(v, 24);
      v = _mm_or_si128(v, _mm_slli_epi32(v, 8));
      v = _mm_or_si128(v, _mm_slli_epi32(v, 16));
    }
    put(out + k, v);
  }
}

void merge(const std::uint32_t* colour, const std::uint32_t* alpha, int n, std::uint32_t* out) {
  const __m128i top = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (int k = 0; k < n; k += 4) {
    put(out + k,
        _mm_or_si128(_mm_andnot_si128(top, load(colour + k)), _mm_and_si128(top, load(alpha + k))));
  }
}

struct StageRun {
  const FastSpan& fast;
  const StagePlan& stage;
  const std::uint32_t* current;
  const std::uint32_t* diffuse;
  const std::uint32_t* texel;
  int n;
  StageScratch& scratch;

  const std::uint32_t* argument(DWORD arg) {
    const std::uint32_t* in;
    switch (arg & D3DTA_SELECTMASK) {
      case D3DTA_DIFFUSE:
        in = diffuse;
        break;
      case D3DTA_TEXTURE:
        in = texel != nullptr ? texel : fast.white;
        break;
      case D3DTA_TFACTOR:
        in = fast.factor;
        break;
      default:
        in = current;
        break;
    }
    if ((arg & (D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) == 0) return in;
    std::uint32_t* out = scratch.next();
    fast.ops.modify(arg, in, n, out);
    return out;
  }

  const std::uint32_t* result(DWORD op, DWORD arg1, DWORD arg2) {
    if (op == D3DTOP_SELECTARG1) return argument(arg1);
    if (op == D3DTOP_SELECTARG2) return argument(arg2);
    const std::uint32_t* a = argument(arg1);
    const std::uint32_t* b = argument(arg2);
    std::uint32_t* out = scratch.next();
    fast.ops.operate(op, a, b, n, out);
    return out;
  }

  const std::uint32_t* run() {
    const std::uint32_t* colour = result(stage.colorOp, stage.colorArg1, stage.colorArg2);
    const bool same = stage.alphaOp == stage.colorOp && stage.alphaArg1 == stage.colorArg1 &&
                      stage.alphaArg2 == stage.colorArg2;
    const std::uint32_t* alpha =
        same ? colour : result(stage.alphaOp, stage.alphaArg1, stage.alphaArg2);
    if (alpha == colour) return colour;
    std::uint32_t* out = scratch.next();
    fast.ops.merge(colour, alpha, n, out);
    return out;
  }
};

// SELECTARG of the unmodified texture.
bool selectsTexel(DWORD op, DWORD arg1, DWORD arg2) {
  return (op == D3DTOP_SELECTARG1 && arg1 == D3DTA_TEXTURE) ||
         (op == D3DTOP_SELECTARG2 && arg2 == D3DTA_TEXTURE);
}

}  // namespace

const std::uint32_t* runStages(const FastSpan& fast, const DrawPlan& plan,
                               const std::uint32_t* diffuse, const Chunk* texels,
                               StageScratch (&scratch)[2], int padded) {
  if (fast.texelAsIs) return texels[0];
  const std::uint32_t* current = diffuse;
  for (int s = 0; s < plan.stageCount; ++s) {
    // The scratch that does not hold the current colour.
    const bool inFirst = current >= scratch[0].chunk[0] && current < scratch[1].chunk[0];
    StageScratch& mine = scratch[inFirst ? 1 : 0];
    mine.used = 0;
    const std::uint32_t* texel = plan.stages[s].texture != nullptr ? texels[s] : nullptr;
    StageRun run{fast, plan.stages[s], current, diffuse, texel, padded, mine};
    current = run.run();
  }
  return current;
}

void diffuseChunk(const Triangle& t, int x0, int y, int n, std::uint32_t* out) {
  auto at = [&](const Plane& p, int x) {
    return static_cast<unsigned>(std::clamp(std::floor(p.at(x, y) + 0.5), 0.0, 255.0));
  };
  for (int k = 0; k < n; ++k) {
    const int x = x0 + k;
    out[k] = (at(t.colour[0], x) << 24) | (at(t.colour[1], x) << 16) | (at(t.colour[2], x) << 8) |
             at(t.colour[3], x);
  }
}

void diffusePoints(const Triangle& t, const int* xs, const int* ys, int n, std::uint32_t* out) {
  auto at = [&](const Plane& p, int k) {
    return static_cast<unsigned>(std::clamp(std::floor(p.at(xs[k], ys[k]) + 0.5), 0.0, 255.0));
  };
  for (int k = 0; k < n; ++k) {
    out[k] = (at(t.colour[0], k) << 24) | (at(t.colour[1], k) << 16) | (at(t.colour[2], k) << 8) |
             at(t.colour[3], k);
  }
}

bool prepareFastSpan(const DrawPlan& plan, FastSpan* fast) {
  for (int s = 0; s < plan.stageCount; ++s) {
    const Texture* texture = plan.stages[s].texture;
    if (texture == nullptr) continue;
    if (!fastSamplable(*texture)) return false;
    fast->levels[s].prepare(plan.stages[s]);
  }
  std::fill(std::begin(fast->white), std::end(fast->white), 0xFFFFFFFFu);
  std::fill(std::begin(fast->factor), std::end(fast->factor), plan.textureFactor);
  const StagePlan& first = plan.stages[0];
  fast->texelAsIs = plan.stageCount == 1 && first.texture != nullptr &&
                    selectsTexel(first.colorOp, first.colorArg1, first.colorArg2) &&
                    selectsTexel(first.alphaOp, first.alphaArg1, first.alphaArg2);
  fast->store = chooseStore(plan, &fast->target);
  fast->ops = useWideVectors() ? StageOps{operateWide, modifyWide, mergeWide}
                               : StageOps{operate, modify, merge};
  return true;
}

}  // namespace d3d9impl
