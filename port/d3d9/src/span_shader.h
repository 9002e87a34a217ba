// The fast per-pixel path: for affine triangles whose textures can be read as
// 32-bit words, the same bits as shadeSpan (pixel_pipeline.h), with the
// stages run on whole chunks of a row and the blend chosen once per draw.
#pragma once

#include <cstdint>

#include "plan.h"
#include "span_blend.h"
#include "triangle_setup.h"

namespace d3d9impl {

struct FastSpan {
  StoreSpan store = nullptr;
  StoreTarget target{};
  // Stage arguments that are constants, as whole chunks.
  alignas(16) std::uint32_t white[64];
  alignas(16) std::uint32_t factor[64];
};

// False when the draw needs the reference path (no word form of a texture).
bool prepareFastSpan(const DrawPlan& plan, FastSpan* fast);

// shadeSpan on every covered run of rows y0..y1 of an affine triangle,
// through the fast path; what stays the same over the triangle is set once.
void shadeFastRows(const FastSpan& fast, const DrawPlan& plan, const Triangle& t, int y0, int y1);

}  // namespace d3d9impl
