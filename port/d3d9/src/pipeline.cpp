#include "pipeline.h"

#include <d3d9_port.h>

#include <algorithm>
#include <bit>
#include <optional>

#include "clear_cull.h"
#include "clipper.h"
#include "pixel_pipeline.h"
#include "plan.h"
#include "span_shader.h"
#include "thread_pool.h"
#include "triangle_bins.h"
#include "triangle_setup.h"
#include "vertex_processor.h"

namespace d3d9impl {

bool vertexLayout(DWORD fvf, VertexLayout* layout) {
  const DWORD known = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEXCOUNT_MASK;
  if ((fvf & ~known) != 0 || (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ) return false;
  const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCount > 1) return false;
  VertexLayout made;
  made.size = 12;
  if ((fvf & D3DFVF_DIFFUSE) != 0) {
    made.diffuse = static_cast<int>(made.size);
    made.size += 4;
  }
  if (texCount == 1) {
    made.texcoord = static_cast<int>(made.size);
    made.size += 8;
  }
  *layout = made;
  return true;
}

namespace {

// Below this many covered pixels (estimated) a draw stays on one thread.
constexpr long kPixelsPerThread = 16384;

// The transformed vertices of the part of a draw being set up, kept from
// draw to draw so that a draw allocates nothing once they have grown to the
// largest draw's size. One per part, not per thread: whichever thread takes
// a part, part p uses scratch p, and a thread that sat out the first draws
// allocates nothing when it joins in.
struct SetupScratch {
  std::vector<ProcessedVertex> processed;
  std::vector<ScreenPoint> screen;  // where the vertex is inside the guard band
  std::vector<std::uint8_t> state;  // kUnseen, kOutside, kInside
};
constexpr std::uint8_t kUnseen = 0, kOutside = 1, kInside = 2;

static_assert(std::has_single_bit(unsigned{limits::kBandRows}), "bands are found by shifts");

// Below this many primitives a draw is set up on one thread.
constexpr std::size_t kPrimitivesPerSetupThread = 1024;

std::size_t primitiveCount(const DrawInput& input) {
  const std::size_t n = input.order->size();
  return input.type == D3DPT_TRIANGLELIST ? n / 3 : n - 2;
}

// Sets up primitives [from, to) of the draw, in order, leaving out the
// triangles that cull (when there is one) finds to leave the target as it is.
void setupAll(const DrawPlan& plan, const DrawInput& input, const ClearCull* cull, std::size_t from,
              std::size_t to, SetupScratch& scratch, TrianglePart* triangles) {
  const std::vector<std::uint32_t>& order = *input.order;
  const std::uint32_t lowest = *std::min_element(order.begin(), order.end());
  const std::uint32_t highest = *std::max_element(order.begin(), order.end());
  triangles->expect(to - from);
  // Each distinct vertex is transformed once.
  std::vector<ProcessedVertex>& processed = scratch.processed;
  std::vector<ScreenPoint>& screen = scratch.screen;
  std::vector<std::uint8_t>& state = scratch.state;
  processed.resize(std::size_t{highest} - lowest + 1);
  screen.resize(processed.size());
  state.assign(processed.size(), kUnseen);
  const float guardX = 1.0f + 2.0f * limits::kGuardBand / static_cast<float>(plan.viewport.Width);
  const float guardY = 1.0f + 2.0f * limits::kGuardBand / static_cast<float>(plan.viewport.Height);
  // A vertex inside the guard band gets its screen point with it.
  auto vertex = [&](std::uint32_t number) -> std::size_t {
    const std::size_t slot = number - lowest;
    if (state[slot] == kUnseen) {
      ProcessedVertex& v = processed[slot];
      processVertex(plan, input.layout, input.vertices + std::size_t{number} * input.stride, &v);
      state[slot] = inside(v, guardX, guardY) ? kInside : kOutside;
      if (state[slot] == kInside) screen[slot] = toScreen(plan.viewport, v);
    }
    return slot;
  };
  auto setUp = [&](const ProcessedVertex* const v[3], const ScreenPoint* const p[3]) {
    Triangle* t = triangles->slot();
    if (setupTriangle(plan, v, p, t) && (cull == nullptr || !cull->leavesTarget(*t))) {
      triangles->keep();
    }
  };
  ClippedPolygon polygon;
  ScreenPoint polygonPoints[ClippedPolygon::kMaxVertices];
  for (std::size_t i = from; i < to; ++i) {
    std::size_t slot[3];
    if (input.type == D3DPT_TRIANGLELIST) {
      slot[0] = vertex(order[3 * i]);
      slot[1] = vertex(order[3 * i + 1]);
      slot[2] = vertex(order[3 * i + 2]);
    } else if (input.type == D3DPT_TRIANGLEFAN) {
      slot[0] = vertex(order[0]);
      slot[1] = vertex(order[i + 1]);
      slot[2] = vertex(order[i + 2]);
    } else {  // strip: every other triangle turns round to keep its winding
      slot[0] = vertex(order[i]);
      slot[1] = vertex(order[i % 2 == 0 ? i + 1 : i + 2]);
      slot[2] = vertex(order[i % 2 == 0 ? i + 2 : i + 1]);
    }
    const ProcessedVertex* v[3] = {&processed[slot[0]], &processed[slot[1]], &processed[slot[2]]};
    if (state[slot[0]] == kInside && state[slot[1]] == kInside && state[slot[2]] == kInside) {
      const ScreenPoint* p[3] = {&screen[slot[0]], &screen[slot[1]], &screen[slot[2]]};
      setUp(v, p);
      continue;
    }
    clipTriangle(*v[0], *v[1], *v[2], guardX, guardY, plan.stageCount, &polygon);
    for (int k = 0; k < polygon.count; ++k) {
      polygonPoints[k] = toScreen(plan.viewport, polygon.vertices[k]);
    }
    for (int k = 2; k < polygon.count; ++k) {
      const ProcessedVertex* fan[3] = {&polygon.vertices[0], &polygon.vertices[k - 1],
                                       &polygon.vertices[k]};
      const ScreenPoint* points[3] = {&polygonPoints[0], &polygonPoints[k - 1], &polygonPoints[k]};
      setUp(fan, points);
    }
  }
}

}  // namespace

void renderDraw(const DrawInput& input) {
  DrawPlan plan;
  buildPlan(input, &plan);
  // The fast path is chosen once per draw; triangles it does not take (with
  // perspective) keep the reference path.
  FastSpan fast;
  const bool useFast = !d3d9port::referencePipeline() && prepareFastSpan(plan, &fast);
  std::optional<ClearCull> cull;
  if (useFast) cull.emplace(plan);
  const ClearCull* culling = cull && cull->active() ? &*cull : nullptr;
  // Setting up is split into runs of primitives, one per thread; the bins
  // keep the runs in order, so the split changes nothing in the picture.
  const std::size_t primitives = primitiveCount(input);
  const int parts =
      static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(d3d9port::threadCount()),
                                             1 + primitives / kPrimitivesPerSetupThread));
  TriangleBins& bins = TriangleBins::forThisThread(parts);
  thread_local std::vector<SetupScratch> kept;  // the posting thread's, as the bins are
  if (kept.size() < static_cast<std::size_t>(parts)) kept.resize(parts);
  // By pointer: inside the job, the name would be the helper's own.
  SetupScratch* const scratches = kept.data();
  parallelFor(parts, parts, [&](int part) {
    const std::size_t p = static_cast<std::size_t>(part), n = static_cast<std::size_t>(parts);
    setupAll(plan, input, culling, primitives * p / n, primitives * (p + 1) / n, scratches[p],
             &bins.part(part));
  });
  // Bands are fixed rows of the target, so the split does not depend on
  // the thread count; triangles keep their order inside every band.
  int firstBand = 0, bands = 0;
  if (!bins.sort(std::countr_zero(unsigned{limits::kBandRows}), &firstBand, &bands)) return;
  const int threads = static_cast<int>(
      std::min<long>(d3d9port::threadCount(), 1 + bins.pixelEstimate() / kPixelsPerThread));
  parallelFor(bands, threads, [&](int index) {
    const int y0 = (firstBand + index) * limits::kBandRows;
    const int y1 = y0 + limits::kBandRows - 1;
    for (const Triangle* const* i = bins.begin(index); i != bins.end(index); ++i) {
      const Triangle& t = **i;
      const int from = std::max(y0, t.minY), to = std::min(y1, t.maxY);
      if (useFast && t.affine) {
        shadeFastRows(fast, plan, t, from, to);
        continue;
      }
      for (int y = from; y <= to; ++y) {
        int x0, x1;
        if (rowSpan(t, y, &x0, &x1)) shadeSpan(plan, t, y, x0, x1);
      }
    }
  });
}

}  // namespace d3d9impl
