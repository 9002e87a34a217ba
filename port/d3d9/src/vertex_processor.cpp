#include "vertex_processor.h"

#include <cstring>

namespace d3d9impl {

void processVertex(const DrawPlan& plan, const VertexLayout& layout, const std::uint8_t* vertex,
                   ProcessedVertex* out) {
  float p[3];
  std::memcpy(p, vertex, sizeof p);
  const D3DMATRIX& m = plan.worldViewProjection;
  for (int j = 0; j < 4; ++j) {
    out->clip[j] = p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j] + m.m[3][j];
  }
  // Lighting with no lights leaves black, and the diffuse alpha of the vertex
  // (the material's alpha, 0, where the vertex has no colour). Without
  // lighting the vertex colour passes, white where there is none.
  DWORD diffuse = 0xFFFFFFFFu;
  if (layout.diffuse >= 0) std::memcpy(&diffuse, vertex + layout.diffuse, 4);
  if (plan.lighting) diffuse = layout.diffuse >= 0 ? diffuse & 0xFF000000u : 0u;
  out->colour[0] = static_cast<float>(diffuse >> 24);
  out->colour[1] = static_cast<float>((diffuse >> 16) & 0xFF);
  out->colour[2] = static_cast<float>((diffuse >> 8) & 0xFF);
  out->colour[3] = static_cast<float>(diffuse & 0xFF);

  float uv[2] = {0.0f, 0.0f};
  if (layout.texcoord >= 0) std::memcpy(uv, vertex + layout.texcoord, sizeof uv);
  for (int s = 0; s < plan.stageCount; ++s) {
    const StagePlan& stage = plan.stages[s];
    float u = stage.hasCoords ? uv[0] : 0.0f;
    float v = stage.hasCoords ? uv[1] : 0.0f;
    if (stage.transform) {
      // Two coordinates are extended to (u, v, 1, 0): the third row shifts.
      const D3DMATRIX& t = stage.matrix;
      const float tu = u * t._11 + v * t._21 + t._31;
      const float tv = u * t._12 + v * t._22 + t._32;
      u = tu;
      v = tv;
    }
    out->tex[s][0] = u;
    out->tex[s][1] = v;
  }
}

ProcessedVertex lerp(const ProcessedVertex& a, const ProcessedVertex& b, float t, int stages) {
  ProcessedVertex r;
  for (int i = 0; i < 4; ++i) r.clip[i] = a.clip[i] + t * (b.clip[i] - a.clip[i]);
  for (int i = 0; i < 4; ++i) r.colour[i] = a.colour[i] + t * (b.colour[i] - a.colour[i]);
  for (int s = 0; s < stages; ++s) {
    for (int i = 0; i < 2; ++i) r.tex[s][i] = a.tex[s][i] + t * (b.tex[s][i] - a.tex[s][i]);
  }
  return r;
}

}  // namespace d3d9impl
