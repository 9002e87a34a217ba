// Blended draws of mostly transparent pictures (captions, overlays): a
// triangle all of whose texels are transparent leaves the target as it
// was, and is left out before it is binned. Exact: such a triangle's every
// sample has alpha 0, and SRCALPHA over INVSRCALPHA then stores the
// target's own bits.
#pragma once

#include "device_limits.h"
#include "plan.h"
#include "triangle_setup.h"

namespace d3d9impl {

class ClearTiles;

class ClearCull {
 public:
  // For a draw on the fast path (which alone consults this).
  explicit ClearCull(const DrawPlan& plan);

  // Whether any triangle of the draw can be left out.
  bool active() const { return stage_ >= 0; }

  // True when every texel that t's pixels sample, at the stage whose alpha
  // decides, is transparent. Only for an active cull.
  bool leavesTarget(const Triangle& t) const;

 private:
  int stage_ = -1;  // the stage whose texture's alpha 0 makes the stored alpha 0
  bool wrapU_ = false, wrapV_ = false;
  const ClearTiles* tiles_[limits::kMaxLevels] = {};
  double width_[limits::kMaxLevels] = {}, height_[limits::kMaxLevels] = {};
};

}  // namespace d3d9impl
