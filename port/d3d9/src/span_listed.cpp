#include "span_listed.h"

#include <algorithm>

#include "span_rows.h"

namespace d3d9impl {

namespace {

static_assert(kListedWidth <= kChunk, "a listed run must fit one chunk");
static_assert(StageSampler::kRuns >= 2, "the starts are found two runs at a time");

// The pixels listed so far and where they go. A triangle whose coordinates
// all fit 32 bits lists them narrow; any other keeps 64 bits.
struct Listed {
  bool narrow = false;
  StageSampler::Points wide[kListedStages];
  StageSampler::NarrowPoints points[kListedStages];
  std::uint32_t* where[kChunk];
  int xs[kChunk], ys[kChunk];
  int count = 0;
};

class ListedShader {
 public:
  ListedShader(const FastSpan& fast, const DrawPlan& plan, const Triangle& t,
               const StageSampler* const* samplers)
      : fast_(fast), plan_(plan), t_(t), samplers_(samplers) {
    if (t.flatColour) std::fill(std::begin(diffuse_), std::end(diffuse_), t.flat);
    for (int s = 0; s < plan.stageCount; ++s) {
      if (samplers[s] != nullptr) sampled_[sampledCount_++] = s;
    }
  }

  void shade(int y0, int y1) {
    listed_.narrow = true;
    for (int i = 0; i < sampledCount_; ++i) {
      if (!samplers_[sampled_[i]]->fitsNarrow(t_.minX, t_.maxX, y0, y1)) listed_.narrow = false;
    }
    RowWalker rows(t_, y0);
    if (listed_.narrow) {
      shadeNarrow(rows, y0, y1);
    } else {
      shadeWide(rows, y0, y1);
    }
    flush();
  }

 private:
  // Up to kRuns runs at a time: their starts found together, then listed.
  void shadeNarrow(RowWalker& rows, int y0, int y1) {
    constexpr int kRuns = StageSampler::kRuns;
    int x0[kRuns], x1[kRuns], ys[kRuns];
    StageSampler::Starts starts[kListedStages];
    for (int y = y0; y <= y1;) {
      int count = 0;
      for (; y <= y1 && count < kRuns; ++y) {
        if (!rows.next(&x0[count], &x1[count])) continue;
        ys[count++] = y;
      }
      for (int i = 0; i < sampledCount_; ++i) {
        const int s = sampled_[i];
        samplers_[s]->starts(x0, ys, count, &starts[s]);
      }
      for (int r = 0; r < count; ++r) {
        list(x0[r], x1[r], ys[r], [&](int first, int n, int at) {
          for (int i = 0; i < sampledCount_; ++i) {
            const int s = sampled_[i];
            samplers_[s]->listNarrow(starts[s], r, first, n, &listed_.points[s], at);
          }
        });
      }
    }
  }

  void shadeWide(RowWalker& rows, int y0, int y1) {
    for (int y = y0; y <= y1; ++y) {
      int x0, x1;
      if (!rows.next(&x0, &x1)) continue;
      list(x0, x1, y, [&](int first, int n, int at) {
        for (int i = 0; i < sampledCount_; ++i) {
          const int s = sampled_[i];
          samplers_[s]->list(x0, y, first, n, &listed_.wide[s], at);
        }
      });
    }
  }

  // Lists the run [x0, x1) of row y, flushing whenever the list fills;
  // coordinates(first, n, at) lists the samplers' points.
  template <class Coordinates>
  void list(int x0, int x1, int y, const Coordinates& coordinates) {
    std::uint32_t* row = plan_.target->row32(static_cast<UINT>(y));
    for (int first = 0; first < x1 - x0;) {
      const int n = std::min(x1 - x0 - first, kChunk - listed_.count);
      coordinates(first, n, listed_.count);
      for (int k = 0; k < n; ++k) listed_.where[listed_.count + k] = row + x0 + first + k;
      if (!t_.flatColour) {
        for (int k = 0; k < n; ++k) {
          listed_.xs[listed_.count + k] = x0 + first + k;
          listed_.ys[listed_.count + k] = y;
        }
      }
      listed_.count += n;
      first += n;
      if (listed_.count == kChunk) flush();
    }
  }

  void flush() {
    const int n = listed_.count;
    if (n == 0) return;
    // Up to a multiple of 4 with copies of the last pixel, never stored.
    const int padded = (n + 3) & ~3;
    for (int s = 0; s < plan_.stageCount; ++s) {
      const StageSampler* sampler = samplers_[s];
      if (sampler == nullptr) continue;
      if (listed_.narrow) {
        sampler->sampleNarrow(&listed_.points[s], n, texels_[s]);
        continue;
      }
      StageSampler::Points& p = listed_.wide[s];
      for (int i = 0; i < sampler->passes(); ++i) {
        for (int k = n; k < padded; ++k) {
          p.s[i][k] = p.s[i][n - 1];
          p.t[i][k] = p.t[i][n - 1];
        }
      }
      sampler->samplePoints(p, padded, texels_[s]);
    }
    if (!t_.flatColour) {
      for (int k = n; k < padded; ++k) {
        listed_.xs[k] = listed_.xs[n - 1];
        listed_.ys[k] = listed_.ys[n - 1];
      }
      diffusePoints(t_, listed_.xs, listed_.ys, padded, diffuse_);
    }
    const std::uint32_t* current = runStages(fast_, plan_, diffuse_, texels_, scratch_, padded);
    for (int k = 0; k < n; ++k) below_[k] = *listed_.where[k];
    fast_.store(fast_.target, current, below_, n);
    for (int k = 0; k < n; ++k) *listed_.where[k] = below_[k];
    listed_.count = 0;
  }

  const FastSpan& fast_;
  const DrawPlan& plan_;
  const Triangle& t_;
  const StageSampler* const* samplers_;
  int sampled_[kListedStages];  // the stages that read a texture
  int sampledCount_ = 0;
  alignas(16) Chunk texels_[kListedStages];
  alignas(16) Chunk diffuse_;
  alignas(16) Chunk below_;
  StageScratch scratch_[2];
  Listed listed_;
};

}  // namespace

void shadeListed(const FastSpan& fast, const DrawPlan& plan, const Triangle& t,
                 const StageSampler* const* samplers, int y0, int y1) {
  ListedShader(fast, plan, t, samplers).shade(y0, y1);
}

}  // namespace d3d9impl
