#include "clear_cull.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "clear_tiles.h"
#include "texture.h"

namespace d3d9impl {

namespace {

// How far a sample may lie from its plane's value, in texels, with room:
// the fast samplers step 16.16 coordinates from each run's rounded start,
// at most a chunk of pixels, each step off by at most 2^-17.
constexpr double kSlack = 1.0 / 16.0;
// Coordinates beyond this many texels are not worth bounding.
constexpr double kFar = 1.0e9;
constexpr double kSubpixel = 1 << limits::kSubpixelBits;
// Below this share of clear tiles a picture is drawn without the check: it
// would leave out too few triangles to pay for itself.
constexpr double kWorthwhileShare = 0.25;

// Twice the rounding a Plane::at at (x, y) may carry, with room: 2^-48 of
// the sum of its terms' sizes (a double keeps 2^-53). A product with the
// power of two rounds as std::ldexp does, without its library call (a few
// per cent of a caption frame).
inline double planeReach(const Plane& p, double x, double y) {
  return (std::abs(p.a0) + std::abs(p.ax * x) + std::abs(p.ay * y)) * 0x1p-48;
}

// floor(x) for |x| < kFar, without the library call.
inline std::int64_t floorOf(double x) {
  const auto i = static_cast<std::int64_t>(x);  // truncates
  return i - static_cast<std::int64_t>(x < static_cast<double>(i));
}

// The stage whose texture alpha, when 0, makes the stored alpha 0: the last
// stage's alpha is that texture's (selected, or a product with it), or is
// the stage before's, passed on. -1 where there is none.
int decidingStage(const DrawPlan& plan) {
  for (int s = plan.stageCount - 1; s >= 0; --s) {
    const StagePlan& stage = plan.stages[s];
    const DWORD a1 = stage.alphaArg1, a2 = stage.alphaArg2;
    const auto texture = [&stage](DWORD arg) {
      return arg == D3DTA_TEXTURE && stage.texture != nullptr;
    };
    switch (stage.alphaOp) {
      case D3DTOP_SELECTARG1:
        if (texture(a1)) return s;
        if (a1 == D3DTA_CURRENT) continue;
        return -1;
      case D3DTOP_SELECTARG2:
        if (texture(a2)) return s;
        if (a2 == D3DTA_CURRENT) continue;
        return -1;
      case D3DTOP_MODULATE:
      case D3DTOP_MODULATE2X:
      case D3DTOP_MODULATE4X:
        if (texture(a1) || texture(a2)) return s;
        if (a1 == D3DTA_CURRENT || a2 == D3DTA_CURRENT) continue;
        return -1;
      default:
        return -1;
    }
  }
  return -1;  // the first stage's current alpha is the diffuse one
}

}  // namespace

ClearCull::ClearCull(const DrawPlan& plan) {
  // Only where the stored word is the target's own in every bit: the stores
  // set an X8R8G8B8 target's unused byte, which a left-out triangle would not.
  if (!plan.blend || plan.srcBlend != D3DBLEND_SRCALPHA || plan.destBlend != D3DBLEND_INVSRCALPHA ||
      !plan.targetAlpha) {
    return;
  }
  const int stage = decidingStage(plan);
  if (stage < 0) return;
  const StagePlan& s = plan.stages[stage];
  const Texture& texture = *s.texture;
  wrapU_ = !s.sampler.clampU;
  wrapV_ = !s.sampler.clampV;
  // Wrapping is bounded on power-of-two sizes only, where every sampler's
  // wrap (a mask or a remainder) comes to the same texel.
  const Image& base = texture.level(0);
  if ((wrapU_ && !std::has_single_bit(base.width())) ||
      (wrapV_ && !std::has_single_bit(base.height()))) {
    return;
  }
  // Levels above MAXMIPLEVEL are never sampled: their tiles are not asked for.
  for (UINT i = s.sampler.firstLevel; i < texture.levelCount(); ++i) {
    tiles_[i] = texture.clearTiles(i);
    width_[i] = texture.level(i).width();
    height_[i] = texture.level(i).height();
  }
  const ClearTiles* first = tiles_[s.sampler.firstLevel];
  if (first != nullptr && first->clearShare() >= kWorthwhileShare) stage_ = stage;
}

bool ClearCull::leavesTarget(const Triangle& t) const {
  if (!t.affine) return false;  // drawn by the reference path
  const StageSetup& st = t.stages[stage_];
  double u0 = HUGE_VAL, u1 = -HUGE_VAL, v0 = HUGE_VAL, v1 = -HUGE_VAL, reach = 0.0;
  for (const Edge& e : t.edges) {  // each edge starts at a vertex
    const double x = static_cast<double>(e.x0) / kSubpixel,
                 y = static_cast<double>(e.y0) / kSubpixel;
    const double u = st.u.at(x, y), v = st.v.at(x, y);
    u0 = std::min(u0, u);
    u1 = std::max(u1, u);
    v0 = std::min(v0, v);
    v1 = std::max(v1, v);
    // How far the planes' own rounding may move a value, here and at the
    // pixels: a few units in the last place of the terms' sizes.
    reach = std::max(reach, planeReach(st.u, x, y) + planeReach(st.v, x, y));
  }
  // min and max pass NaNs over: a coordinate that is not a number leaves
  // the range empty, and nothing is left out.
  if (!(u0 <= u1 && v0 <= v1)) return false;
  // Bilinear filters around texel centres, and reads the next texel too.
  const double shift = st.linear ? 0.5 : 0.0;
  const int next = st.linear ? 1 : 0;
  for (const int level : {st.level0, st.level1}) {
    if (level < 0) continue;
    const ClearTiles* tiles = tiles_[level];
    if (tiles == nullptr) return false;
    const double slackU = kSlack + reach * width_[level], slackV = kSlack + reach * height_[level];
    const double s0 = u0 * width_[level] - shift - slackU, s1 = u1 * width_[level] - shift + slackU;
    const double t0 = v0 * height_[level] - shift - slackV,
                 t1 = v1 * height_[level] - shift + slackV;
    // NaNs fail these as well.
    if (!(s0 > -kFar && s1 < kFar && t0 > -kFar && t1 < kFar)) return false;
    if (!tiles->clear(floorOf(s0), floorOf(s1) + next, floorOf(t0), floorOf(t1) + next, wrapU_,
                      wrapV_)) {
      return false;
    }
  }
  return true;
}

}  // namespace d3d9impl
