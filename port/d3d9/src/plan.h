// A draw's state, resolved once: which stages run with which arguments, how
// each samples, how the result is blended. The per-pixel code reads only this.
#pragma once

#include <d3d9.h>

#include "device_limits.h"
#include "image.h"
#include "pipeline.h"

namespace d3d9impl {

class Texture;

struct SamplerPlan {
  DWORD magFilter = D3DTEXF_POINT;
  DWORD minFilter = D3DTEXF_POINT;
  DWORD mipFilter = D3DTEXF_NONE;
  bool clampU = false;  // CLAMP (and the modes this device treats as CLAMP)
  bool clampV = false;
  float lodBias = 0.0f;
  UINT firstLevel = 0;  // MAXMIPLEVEL, clamped to the chain
};

struct StagePlan {
  DWORD colorOp, colorArg1, colorArg2;
  DWORD alphaOp, alphaArg1, alphaArg2;
  const Texture* texture = nullptr;  // set when an argument reads the texture
  SamplerPlan sampler;
  bool transform = false;  // texture matrix applied to (u, v, 1, 0)
  D3DMATRIX matrix{};
  bool hasCoords = false;  // the vertex has the coordinate set this stage reads
};

struct DrawPlan {
  int stageCount = 0;
  StagePlan stages[limits::kMaxTextureStages];
  bool readsDiffuse = true;  // some stage reads the vertex colour
  bool lighting = false;
  DWORD textureFactor = 0;
  bool blend = false;
  DWORD srcBlend = D3DBLEND_ONE, destBlend = D3DBLEND_ZERO;
  DWORD writeMask = 0xFFFFFFFFu;  // bits of the stored word that change
  DWORD cull = D3DCULL_NONE;
  Image* target = nullptr;
  bool targetAlpha = true;  // false for X8R8G8B8: alpha reads and stays 0xFF
  D3DVIEWPORT9 viewport{};
  D3DMATRIX worldViewProjection{};
};

void buildPlan(const DrawInput& input, DrawPlan* plan);

// Row-vector product a x b, as Direct3D composes transforms.
D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b);

}  // namespace d3d9impl
