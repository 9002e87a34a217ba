// Clipping in homogeneous space: to 0 <= z <= w, and to a guard band around
// the viewport so that snapped positions stay inside the edge arithmetic.
// Inside the band nothing is cut; coverage is limited to the viewport later.
#pragma once

#include <vector>

#include "vertex_processor.h"

namespace d3d9impl {

// Clips the triangle; the polygon that remains (0 or 3..9 vertices) goes to out.
void clipTriangle(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
                  float guardX, float guardY, int stages, std::vector<ProcessedVertex>* out);

// True when the triangle needs no clipping at all (the common case).
bool insideAll(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
               float guardX, float guardY);

}  // namespace d3d9impl
