// The boundary between the device and the drawing pipeline: one checked
// draw, with every index already resolved and inside the vertex stream.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "device_limits.h"
#include "image.h"
#include "state.h"

namespace d3d9impl {

class Texture;

// Where each element of an FVF vertex lies; only XYZ, DIFFUSE and TEX1 exist
// in this device.
struct VertexLayout {
  UINT size = 0;
  int diffuse = -1;  // byte offset, or -1 when absent
  int texcoord = -1;
};
bool vertexLayout(DWORD fvf, VertexLayout* layout);

struct DrawInput {
  const DeviceState* state = nullptr;
  D3DVIEWPORT9 viewport{};
  Image* target = nullptr;
  Texture* textures[limits::kMaxTextureStages] = {};
  VertexLayout layout;
  const std::uint8_t* vertices = nullptr;
  UINT stride = 0;
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  const std::vector<std::uint32_t>* order = nullptr;  // vertex numbers, in primitive order
};

void renderDraw(const DrawInput& input);

}  // namespace d3d9impl
