// Per-triangle work, done once before any pixel: projection to the viewport,
// snapping to 1/256 pixel, culling, edge functions, attribute planes and the
// mip level each stage samples from.
#pragma once

#include <cstdint>

#include "plan.h"
#include "vertex_processor.h"

namespace d3d9impl {

// a(x, y) = a0 + ax x + ay y over screen pixels.
struct Plane {
  double a0 = 0, ax = 0, ay = 0;
  double at(double x, double y) const { return a0 + ax * x + ay * y; }
};

// E(px, py) = dx (py - y0) - dy (px - x0) in 1/256 pixels; a pixel is covered
// when E >= bias for all three edges (bias 1 on edges that are neither top
// nor left: the top-left fill rule).
struct Edge {
  std::int64_t dx, dy, x0, y0, bias;
};

struct StageSetup {
  Plane u, v;  // affine triangles: u and v; otherwise u/w and v/w
  int level0 = 0;
  int level1 = -1;      // second level of a trilinear blend, or -1
  int mipWeight = 0;    // 0..255: weight of level1
  bool linear = false;  // bilinear; point sampling otherwise
};

// What the pixels of most triangles read comes first, in as few cache lines
// as it fits: a warp grid sets up and reads back thousands of these a draw.
struct Triangle {
  Edge edges[3];
  int minX, maxX, minY, maxY;  // covered pixels lie inside, viewport included
  bool affine;                 // all three w equal: no perspective division
  bool flatColour;
  DWORD flat;  // A8R8G8B8, when flatColour
  Plane invW;
  StageSetup stages[limits::kMaxTextureStages];  // of the plan's stages that sample
  Plane colour[4];                               // a, r, g, b (over w when not affine)
};

// Where a vertex lands on the viewport, snapped to 1/256 pixel: found once
// per vertex, as most vertices of a mesh are shared by several triangles.
struct ScreenPoint {
  std::int64_t fx, fy;  // in 1/256 pixels
  double x, y;          // the same in pixels
  double inv;           // 1 / w
};
ScreenPoint toScreen(const D3DVIEWPORT9& viewport, const ProcessedVertex& v);

// False when nothing of the triangle is drawn (culled, empty, off-viewport).
// p[i] is toScreen of v[i].
bool setupTriangle(const DrawPlan& plan, const ProcessedVertex* const v[3],
                   const ScreenPoint* const p[3], Triangle* t);

// The covered pixels of row y, as [*x0, *x1); false when none.
bool rowSpan(const Triangle& t, int y, int* x0, int* x1);

}  // namespace d3d9impl
