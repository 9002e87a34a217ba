// The fast per-pixel path: for affine triangles whose textures can be read as
// 32-bit words, the same bits as shadeSpan (pixel_pipeline.h), with the
// stages run on whole chunks of a row and the blend chosen once per draw.
#pragma once

#include "plan.h"
#include "span_stages.h"
#include "triangle_setup.h"

namespace d3d9impl {

// shadeSpan on every covered run of rows y0..y1 of an affine triangle,
// through the fast path; what stays the same over the triangle is set once.
void shadeFastRows(const FastSpan& fast, const DrawPlan& plan, const Triangle& t, int y0, int y1);

}  // namespace d3d9impl
