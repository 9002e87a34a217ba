// Small triangles on the fast path: their pixels are gathered over their
// rows into lists, so that short rows (a warp grid's cells are a few pixels
// wide) still fill whole vectors. The same bits as the row path.
#pragma once

#include "plan.h"
#include "span_sampler.h"
#include "span_stages.h"
#include "triangle_setup.h"

namespace d3d9impl {

// Triangles at most this wide, with at most this many stages, are listed.
// Every run then fits one chunk, as the row path has it.
constexpr int kListedWidth = 32;
constexpr int kListedStages = 2;

// Shades rows y0..y1 of t through the samplers of its texture stages (null
// where a stage reads none).
void shadeListed(const FastSpan& fast, const DrawPlan& plan, const Triangle& t,
                 const StageSampler* const* samplers, int y0, int y1);

}  // namespace d3d9impl
