// Clipping in homogeneous space: to 0 <= z <= w, and to a guard band around
// the viewport so that snapped positions stay inside the edge arithmetic.
// Inside the band nothing is cut; coverage is limited to the viewport later.
#pragma once

#include "vertex_processor.h"

namespace d3d9impl {

// What is left of a triangle, in fixed storage. In exact arithmetic each of
// the six planes adds at most one vertex (nine in all). Rounded cut points
// can leave the polygon a little off convex, and then a plane keeps at most
// half as many again as it was given: 3, 4, 6, 9, 13, 19, 28.
struct ClippedPolygon {
  static constexpr int kMaxVertices = 28;
  ProcessedVertex vertices[kMaxVertices];
  int count = 0;  // 0, or 3 and more
};

// Clips the triangle; the polygon that remains goes to out.
void clipTriangle(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
                  float guardX, float guardY, int stages, ClippedPolygon* out);

// True when the vertex needs no clipping; a triangle of three such needs
// none at all (the common case).
bool inside(const ProcessedVertex& v, float guardX, float guardY);

}  // namespace d3d9impl
