// Per-vertex work: fetch from the stream, world x view x projection, the
// colour that lighting leaves, and each stage's texture coordinates.
#pragma once

#include <cstdint>

#include "device_limits.h"
#include "pipeline.h"
#include "plan.h"

namespace d3d9impl {

struct ProcessedVertex {
  float clip[4];    // x, y, z, w after the transforms
  float colour[4];  // a, r, g, b in 0..255
  float tex[limits::kMaxTextureStages][2];
};

void processVertex(const DrawPlan& plan, const VertexLayout& layout, const std::uint8_t* vertex,
                   ProcessedVertex* out);

// a + t (b - a) for every element: what clipping makes of an edge.
ProcessedVertex lerp(const ProcessedVertex& a, const ProcessedVertex& b, float t, int stages);

}  // namespace d3d9impl
