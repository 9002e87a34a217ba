#include "pixel_pipeline.h"

#include <algorithm>
#include <cmath>

#include "blend_factor.h"
#include "sampler.h"

namespace d3d9impl {

namespace {

constexpr int kChunk = 64;

inline unsigned channel(std::uint32_t c, int shift) { return (c >> shift) & 0xFFu; }

inline std::uint32_t argument(DWORD arg, std::uint32_t current, std::uint32_t diffuse,
                              std::uint32_t texel, std::uint32_t factor) {
  std::uint32_t value;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      value = diffuse;
      break;
    case D3DTA_TEXTURE:
      value = texel;
      break;
    case D3DTA_TFACTOR:
      value = factor;
      break;
    default:  // CURRENT, and what this device does not keep (SPECULAR, TEMP)
      value = current;
      break;
  }
  if ((arg & D3DTA_COMPLEMENT) != 0) value = ~value;
  if ((arg & D3DTA_ALPHAREPLICATE) != 0) value = (value >> 24) * 0x01010101u;
  return value;
}

inline unsigned operate(DWORD op, unsigned a, unsigned b) {
  switch (op) {
    case D3DTOP_SELECTARG1:
      return a;
    case D3DTOP_SELECTARG2:
      return b;
    case D3DTOP_MODULATE:
      return mul255(a, b);
    case D3DTOP_MODULATE2X:
      return std::min(255u, 2 * mul255(a, b));
    case D3DTOP_MODULATE4X:
      return std::min(255u, 4 * mul255(a, b));
    default:  // ADD
      return std::min(255u, a + b);
  }
}

inline unsigned factor(DWORD blend, unsigned s, unsigned sa, unsigned d, unsigned da) {
  const BlendFactor f = blendFactor(blend);
  const unsigned one = 255, v = factorSource(f, one, s, sa, d, da);
  return f.complement ? 255 - v : v;
}

inline std::uint32_t blendPixel(const DrawPlan& plan, std::uint32_t src, std::uint32_t dst) {
  const unsigned sa = src >> 24, da = dst >> 24;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const unsigned s = channel(src, shift), d = channel(dst, shift);
    const unsigned fs = factor(plan.srcBlend, s, sa, d, da);
    const unsigned fd = factor(plan.destBlend, s, sa, d, da);
    out |= blendChannel(s, fs, d, fd) << shift;
  }
  return out;
}

inline unsigned colourAt(const Plane& p, const Triangle& t, double x, double y) {
  double value = p.at(x, y);
  if (!t.affine) value /= t.invW.at(x, y);
  return static_cast<unsigned>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

}  // namespace

void shadeSpan(const DrawPlan& plan, const Triangle& t, int y, int x0, int x1) {
  std::uint32_t texels[limits::kMaxTextureStages][kChunk];
  std::uint32_t* row = plan.target->row32(static_cast<UINT>(y));
  const std::uint32_t keep = ~plan.writeMask;
  const std::uint32_t forced = plan.targetAlpha ? 0u : 0xFF000000u;
  for (int start = x0; start < x1; start += kChunk) {
    const int n = std::min(kChunk, x1 - start);
    for (int s = 0; s < plan.stageCount; ++s) {
      if (plan.stages[s].texture != nullptr) {
        sampleSpan(plan.stages[s], t.stages[s], t, start, y, n, texels[s]);
      }
    }
    for (int k = 0; k < n; ++k) {
      const int x = start + k;
      std::uint32_t diffuse = t.flat;
      if (!t.flatColour) {
        diffuse = (colourAt(t.colour[0], t, x, y) << 24) | (colourAt(t.colour[1], t, x, y) << 16) |
                  (colourAt(t.colour[2], t, x, y) << 8) | colourAt(t.colour[3], t, x, y);
      }
      std::uint32_t current = diffuse;
      for (int s = 0; s < plan.stageCount; ++s) {
        const StagePlan& st = plan.stages[s];
        const std::uint32_t texel = st.texture != nullptr ? texels[s][k] : 0xFFFFFFFFu;
        const std::uint32_t c1 =
            argument(st.colorArg1, current, diffuse, texel, plan.textureFactor);
        const std::uint32_t c2 =
            argument(st.colorArg2, current, diffuse, texel, plan.textureFactor);
        const std::uint32_t a1 =
            argument(st.alphaArg1, current, diffuse, texel, plan.textureFactor);
        const std::uint32_t a2 =
            argument(st.alphaArg2, current, diffuse, texel, plan.textureFactor);
        current = (operate(st.alphaOp, a1 >> 24, a2 >> 24) << 24) |
                  (operate(st.colorOp, channel(c1, 16), channel(c2, 16)) << 16) |
                  (operate(st.colorOp, channel(c1, 8), channel(c2, 8)) << 8) |
                  operate(st.colorOp, channel(c1, 0), channel(c2, 0));
      }
      const std::uint32_t dst = row[x] | forced;
      const std::uint32_t result = plan.blend ? blendPixel(plan, current, dst) : current;
      row[x] = ((result & plan.writeMask) | (dst & keep)) | forced;
    }
  }
}

}  // namespace d3d9impl
