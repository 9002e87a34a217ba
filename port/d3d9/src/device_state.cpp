// Render, stage, sampler and transform state, and the bound textures.
#include <cstring>

#include "device.h"
#include "texture.h"

namespace d3d9impl {

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (tracing())
    traceLine("SetRenderState(" + renderStateName(state) + ", " + std::to_string(value) + ")");
  if (state > limits::kMaxRenderState) return D3DERR_INVALIDCALL;
  state_.render[state] = value;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (value == nullptr || state > limits::kMaxRenderState) return D3DERR_INVALIDCALL;
  *value = state_.render[state];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (tracing()) {
    traceLine("SetTextureStageState(" + std::to_string(stage) + ", " + stageStateName(type) + ", " +
              std::to_string(value) + ")");
  }
  if (stage >= limits::kMaxTextureStages || type == 0 || type > limits::kMaxStageState) {
    return D3DERR_INVALIDCALL;
  }
  state_.stage[stage][type] = value;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (value == nullptr || stage >= limits::kMaxTextureStages || type == 0 ||
      type > limits::kMaxStageState) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.stage[stage][type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (tracing()) {
    traceLine("SetSamplerState(" + std::to_string(sampler) + ", " + samplerStateName(type) + ", " +
              std::to_string(value) + ")");
  }
  if (sampler >= limits::kMaxSamplers || type == 0 || type > limits::kMaxSamplerState) {
    return D3DERR_INVALIDCALL;
  }
  state_.sampler[sampler][type] = value;
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (value == nullptr || sampler >= limits::kMaxSamplers || type == 0 ||
      type > limits::kMaxSamplerState) {
    return D3DERR_INVALIDCALL;
  }
  *value = state_.sampler[sampler][type];
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (tracing())
    traceLine("SetTransform(" + transformName(state) + ", " + matrixText(matrix) + ")");
  const int slot = transformSlot(state);
  if (matrix == nullptr || slot < 0) return D3DERR_INVALIDCALL;
  state_.transforms[slot] = *matrix;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  const int slot = transformSlot(state);
  if (matrix == nullptr || slot < 0) return D3DERR_INVALIDCALL;
  *matrix = state_.transforms[slot];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (tracing())
    traceLine("SetTexture(" + std::to_string(stage) + ", " + objectName(texture) + ")");
  auto* ours = dynamic_cast<Texture*>(texture);
  if (stage >= limits::kMaxSamplers || (texture != nullptr && ours == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  retainObject(ours);
  releaseObject(textures_[stage]);
  textures_[stage] = ours;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
  if (texture == nullptr || stage >= limits::kMaxSamplers) return D3DERR_INVALIDCALL;
  retainObject(textures_[stage]);
  *texture = textures_[stage];
  return D3D_OK;
}

}  // namespace d3d9impl
