#include "span_shader.h"

#include <algorithm>
#include <new>

#include "span_listed.h"
#include "span_rows.h"
#include "span_sampler.h"

namespace d3d9impl {

void shadeFastRows(const FastSpan& fast, const DrawPlan& plan, const Triangle& t, int y0, int y1) {
  // Samplers of the stages that read a texture, set up for this triangle.
  alignas(StageSampler) unsigned char room[limits::kMaxTextureStages][sizeof(StageSampler)];
  const StageSampler* samplers[limits::kMaxTextureStages] = {};
  for (int s = 0; s < plan.stageCount; ++s) {
    if (plan.stages[s].texture != nullptr)
      samplers[s] = new (room[s]) StageSampler(fast.levels[s], t.stages[s]);
  }
  if (t.maxX - t.minX < kListedWidth && plan.stageCount <= kListedStages) {
    shadeListed(fast, plan, t, samplers, y0, y1);
    return;
  }
  alignas(16) Chunk texels[limits::kMaxTextureStages];
  alignas(16) Chunk diffuse;
  StageScratch scratch[2];
  // A diffuse colour that no stage reads is left unfilled.
  const bool varying = plan.readsDiffuse && !t.flatColour;
  if (plan.readsDiffuse && t.flatColour) std::fill(std::begin(diffuse), std::end(diffuse), t.flat);
  RowWalker rows(t, y0);
  for (int y = y0; y <= y1; ++y) {
    int x0, x1;
    if (!rows.next(&x0, &x1)) continue;
    std::uint32_t* row = plan.target->row32(static_cast<UINT>(y));
    for (int start = x0; start < x1; start += kChunk) {
      const int n = std::min(kChunk, x1 - start);
      const int padded = (n + 3) & ~3;
      if (varying) diffuseChunk(t, start, y, padded, diffuse);
      for (int s = 0; s < plan.stageCount; ++s) {
        if (samplers[s] != nullptr) samplers[s]->sample(start, y, padded, texels[s]);
      }
      const std::uint32_t* current = runStages(fast, plan, diffuse, texels, scratch, padded);
      fast.store(fast.target, current, row + start, n);
    }
  }
}

}  // namespace d3d9impl
