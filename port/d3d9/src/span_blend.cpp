#include "span_blend.h"

#include "span_blend_ops.h"
#include "wide_vectors.h"

namespace d3d9impl {

namespace {

DWORD known(DWORD blend) {
  return blend >= D3DBLEND_ZERO && blend <= D3DBLEND_INVDESTCOLOR && blend != D3DBLEND_ONE
             ? blend
             : D3DBLEND_ONE;
}

struct Four {
  template <class Blend>
  static StoreSpan of() {
    return blend::storeFour<Blend>;
  }
};
template <bool kMasked>
struct Eight {
  template <class Blend>
  static StoreSpan of() {
    return blend::storeEight<Blend, kMasked>;
  }
};

template <class Width>
StoreSpan pick(const DrawPlan& plan, const StoreTarget& target) {
  using namespace blend;
  if (!plan.blend) return Width::template of<Replace>();
  const DWORD s = target.srcBlend, d = target.destBlend;
  if (s == D3DBLEND_ONE && d == D3DBLEND_ZERO) return Width::template of<Replace>();
  if (s == D3DBLEND_ONE && d == D3DBLEND_ONE) return Width::template of<Add>();
  if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_INVSRCALPHA)
    return Width::template of<Fixed<D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA>>();
  if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_SRCALPHA)
    return Width::template of<Fixed<D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA>>();
  if (s == D3DBLEND_DESTCOLOR && d == D3DBLEND_SRCCOLOR)
    return Width::template of<Fixed<D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR>>();
  if (s == D3DBLEND_SRCALPHA && d == D3DBLEND_ONE)
    return Width::template of<Fixed<D3DBLEND_SRCALPHA, D3DBLEND_ONE>>();
  return Width::template of<Any>();
}

}  // namespace

StoreSpan chooseStore(const DrawPlan& plan, StoreTarget* target) {
  target->writeMask = plan.writeMask;
  target->forced = plan.targetAlpha ? 0u : 0xFF000000u;
  target->srcBlend = known(plan.srcBlend);
  target->destBlend = known(plan.destBlend);
  if (!useWideVectors()) return pick<Four>(plan, *target);
  const bool masked = target->writeMask != 0xFFFFFFFFu || target->forced != 0;
  return masked ? pick<Eight<true>>(plan, *target) : pick<Eight<false>>(plan, *target);
}

}  // namespace d3d9impl
