// The device's settable state as plain values: render, stage and sampler
// states and the transforms, each starting at its Direct3D 9 default.
// Bound objects (textures, targets, buffers) are kept by the device itself.
#pragma once

#include <d3d9.h>

#include "device_limits.h"

namespace d3d9impl {

// Where each transform lives in DeviceState::transforms.
enum TransformSlot : int {
  kWorld = 0,
  kView = 1,
  kProjection = 2,
  kTexture0 = 3,  // kTexture0 + stage
  kTransformSlots = kTexture0 + static_cast<int>(limits::kMaxTextureStages),
};

// The slot of a D3DTS value, or -1 for one the device does not keep.
int transformSlot(D3DTRANSFORMSTATETYPE state);

struct DeviceState {
  DWORD render[limits::kMaxRenderState + 1];
  DWORD stage[limits::kMaxTextureStages][limits::kMaxStageState + 1];
  DWORD sampler[limits::kMaxSamplers][limits::kMaxSamplerState + 1];
  D3DMATRIX transforms[kTransformSlots];
  DWORD fvf;
};

D3DMATRIX identityMatrix();

// Direct3D 9's defaults; the depth test starts on only with an automatic
// depth-stencil surface, as on a real device.
void resetState(DeviceState* state, bool autoDepthStencil);

}  // namespace d3d9impl
