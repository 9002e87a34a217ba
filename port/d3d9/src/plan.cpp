#include "plan.h"

#include <algorithm>
#include <bit>

#include "texture.h"

namespace d3d9impl {

namespace {

// Whether the operation reads an argument that is(select) picks.
template <class Is>
bool readsWhere(DWORD op, DWORD arg1, DWORD arg2, Is is) {
  switch (op) {
    case D3DTOP_SELECTARG1:
      return is(arg1 & D3DTA_SELECTMASK);
    case D3DTOP_SELECTARG2:
      return is(arg2 & D3DTA_SELECTMASK);
    default:
      return is(arg1 & D3DTA_SELECTMASK) || is(arg2 & D3DTA_SELECTMASK);
  }
}

bool readsTexture(DWORD op, DWORD arg1, DWORD arg2) {
  return readsWhere(op, arg1, arg2, [](DWORD select) { return select == D3DTA_TEXTURE; });
}

// Any argument but these reads the colour the stage before left.
bool readsCurrent(DWORD op, DWORD arg1, DWORD arg2) {
  return readsWhere(op, arg1, arg2, [](DWORD select) {
    return select != D3DTA_DIFFUSE && select != D3DTA_TEXTURE && select != D3DTA_TFACTOR;
  });
}

// The diffuse colour is read as itself, and as the current colour of the
// first stage (or of no stage at all).
bool readsDiffuse(const DrawPlan& plan) {
  if (plan.stageCount == 0) return true;
  auto diffuse = [](DWORD select) { return select == D3DTA_DIFFUSE; };
  const StagePlan& first = plan.stages[0];
  if (readsCurrent(first.colorOp, first.colorArg1, first.colorArg2) ||
      readsCurrent(first.alphaOp, first.alphaArg1, first.alphaArg2)) {
    return true;
  }
  for (int i = 0; i < plan.stageCount; ++i) {
    const StagePlan& s = plan.stages[i];
    if (readsWhere(s.colorOp, s.colorArg1, s.colorArg2, diffuse) ||
        readsWhere(s.alphaOp, s.alphaArg1, s.alphaArg2, diffuse)) {
      return true;
    }
  }
  return false;
}

// MODULATE by a factor of 255 is round(255 a / 255) = a: the argument alone,
// without the product. The warp grid's alpha is such a product whenever it
// is drawn opaque.
void selectForFullFactor(DWORD factor, DWORD* op, DWORD arg1, DWORD arg2, DWORD full) {
  if (*op != D3DTOP_MODULATE || (factor & full) != full) return;
  if (arg1 == D3DTA_TFACTOR) {
    *op = D3DTOP_SELECTARG2;
  } else if (arg2 == D3DTA_TFACTOR) {
    *op = D3DTOP_SELECTARG1;
  }
}

// Stages whose result no later stage reads are dropped: the screen quads
// sample one picture at stage 0 and overwrite it at stage 1, and sampling
// it for nothing doubled their cost.
void dropUnreadStages(DrawPlan* plan) {
  int first = 0;
  for (int i = plan->stageCount - 1; i > 0; --i) {
    const StagePlan& s = plan->stages[i];
    if (!readsCurrent(s.colorOp, s.colorArg1, s.colorArg2) &&
        !readsCurrent(s.alphaOp, s.alphaArg1, s.alphaArg2)) {
      first = i;
      break;
    }
  }
  if (first == 0) return;
  std::copy(plan->stages + first, plan->stages + plan->stageCount, plan->stages);
  plan->stageCount -= first;
}

bool knownOp(DWORD op) { return op >= D3DTOP_SELECTARG1 && op <= D3DTOP_ADD; }

}  // namespace

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}

void buildPlan(const DrawInput& input, DrawPlan* plan) {
  const DeviceState& s = *input.state;
  const DWORD* r = s.render;
  plan->lighting = r[D3DRS_LIGHTING] != FALSE;
  plan->textureFactor = r[D3DRS_TEXTUREFACTOR];
  plan->blend = r[D3DRS_ALPHABLENDENABLE] != FALSE;
  plan->srcBlend = r[D3DRS_SRCBLEND];
  plan->destBlend = r[D3DRS_DESTBLEND];
  plan->cull = r[D3DRS_CULLMODE];
  plan->target = input.target;
  plan->targetAlpha = input.target->format() == D3DFMT_A8R8G8B8;
  plan->viewport = input.viewport;
  const DWORD channels = r[D3DRS_COLORWRITEENABLE];
  plan->writeMask = ((channels & 1u) ? 0x00FF0000u : 0u) | ((channels & 2u) ? 0x0000FF00u : 0u) |
                    ((channels & 4u) ? 0x000000FFu : 0u) |
                    ((channels & 8u) && plan->targetAlpha ? 0xFF000000u : 0u);
  plan->worldViewProjection =
      multiply(multiply(s.transforms[kWorld], s.transforms[kView]), s.transforms[kProjection]);

  // The chain ends at the first disabled stage, and at the first stage that
  // would read a texture where none is bound.
  plan->stageCount = 0;
  for (DWORD i = 0; i < limits::kMaxTextureStages; ++i) {
    const DWORD* t = s.stage[i];
    if (t[D3DTSS_COLOROP] == D3DTOP_DISABLE || !knownOp(t[D3DTSS_COLOROP])) break;
    StagePlan& stage = plan->stages[plan->stageCount];
    stage.colorOp = t[D3DTSS_COLOROP];
    stage.colorArg1 = t[D3DTSS_COLORARG1];
    stage.colorArg2 = t[D3DTSS_COLORARG2];
    // An alpha operation of DISABLE under an enabled colour passes alpha on.
    const bool alphaOn = knownOp(t[D3DTSS_ALPHAOP]);
    stage.alphaOp = alphaOn ? t[D3DTSS_ALPHAOP] : D3DTOP_SELECTARG1;
    stage.alphaArg1 = alphaOn ? t[D3DTSS_ALPHAARG1] : D3DTA_CURRENT;
    stage.alphaArg2 = alphaOn ? t[D3DTSS_ALPHAARG2] : D3DTA_CURRENT;
    const bool colourReads = readsTexture(stage.colorOp, stage.colorArg1, stage.colorArg2);
    const bool alphaReads = readsTexture(stage.alphaOp, stage.alphaArg1, stage.alphaArg2);
    const Texture* texture = input.textures[i];
    if (colourReads && texture == nullptr) break;
    stage.texture = (colourReads || alphaReads) ? texture : nullptr;
    selectForFullFactor(plan->textureFactor, &stage.colorOp, stage.colorArg1, stage.colorArg2,
                        0x00FFFFFFu);
    selectForFullFactor(plan->textureFactor, &stage.alphaOp, stage.alphaArg1, stage.alphaArg2,
                        0xFF000000u);
    // Alpha alone reading a missing texture goes on: the texture argument
    // reads opaque white, in the operation as it stands.
    if (stage.texture != nullptr) {
      const DWORD* m = s.sampler[i];
      SamplerPlan& sp = stage.sampler;
      sp.magFilter = m[D3DSAMP_MAGFILTER] == D3DTEXF_POINT ? D3DTEXF_POINT : D3DTEXF_LINEAR;
      sp.minFilter = m[D3DSAMP_MINFILTER] == D3DTEXF_POINT ? D3DTEXF_POINT : D3DTEXF_LINEAR;
      sp.mipFilter = m[D3DSAMP_MIPFILTER] > D3DTEXF_LINEAR ? D3DTEXF_LINEAR : m[D3DSAMP_MIPFILTER];
      sp.clampU = m[D3DSAMP_ADDRESSU] != D3DTADDRESS_WRAP;
      sp.clampV = m[D3DSAMP_ADDRESSV] != D3DTADDRESS_WRAP;
      sp.lodBias = std::bit_cast<float>(m[D3DSAMP_MIPMAPLODBIAS]);
      const UINT last = stage.texture->levelCount() - 1;
      sp.firstLevel = m[D3DSAMP_MAXMIPLEVEL] < last ? m[D3DSAMP_MAXMIPLEVEL] : last;
      stage.hasCoords = t[D3DTSS_TEXCOORDINDEX] == 0 && input.layout.texcoord >= 0;
      stage.transform = t[D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE;
      stage.matrix = s.transforms[kTexture0 + i];
    }
    ++plan->stageCount;
  }
  dropUnreadStages(plan);
  plan->readsDiffuse = readsDiffuse(*plan);
}

}  // namespace d3d9impl
