#include "span_listed.h"

#include <emmintrin.h>

#include <algorithm>

#include "span_rows.h"

namespace d3d9impl {

namespace {

static_assert(kListedWidth <= kChunk, "a listed run must fit one chunk");
static_assert(StageSampler::kRuns >= 2, "the starts are found two runs at a time");

// A piece of a row of the target whose pixels are listed one after another.
struct Run {
  std::uint32_t* at;
  int n;
};

// The pixels listed so far and the runs they go back to. A triangle whose
// coordinates all fit 32 bits lists them narrow; any other keeps 64 bits.
struct Listed {
  bool narrow = false;
  StageSampler::Points wide[kListedStages];
  StageSampler::NarrowPoints points[kListedStages];
  Run runs[kChunk];
  int xs[kChunk], ys[kChunk];
  int count = 0, runCount = 0;
};

// Runs are a few pixels long: four at a time, then one at a time.
inline void copyWords(const std::uint32_t* from, int n, std::uint32_t* to) {
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
  }
  for (; k < n; ++k) to[k] = from[k];
}

class ListedShader {
 public:
  ListedShader(const FastSpan& fast, const DrawPlan& plan, const Triangle& t,
               const StageSampler* const* samplers)
      : fast_(fast),
        plan_(plan),
        t_(t),
        samplers_(samplers),
        varying_(plan.readsDiffuse && !t.flatColour) {
    // A diffuse colour that no stage reads is left unfilled.
    if (plan.readsDiffuse && t.flatColour) {
      std::fill(std::begin(diffuse_), std::end(diffuse_), t.flat);
    }
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
  // Up to kRuns runs at a time: their starts found together, then listed
  // as many at a time as the list has room for. A run is never split: one
  // is at most kListedWidth pixels, and the pixels do not depend on which
  // others share their list.
  void shadeNarrow(RowWalker& rows, int y0, int y1) {
    constexpr int kRuns = StageSampler::kRuns;
    int x0[kRuns], n[kRuns], ys[kRuns], at[kRuns];
    StageSampler::Starts starts[kListedStages];
    for (int y = y0; y <= y1;) {
      int count = 0;
      for (; y <= y1 && count < kRuns; ++y) {
        int x1;
        if (!rows.next(&x0[count], &x1)) continue;
        n[count] = x1 - x0[count];
        ys[count++] = y;
      }
      for (int i = 0; i < sampledCount_; ++i) {
        const int s = sampled_[i];
        samplers_[s]->starts(x0, ys, count, &starts[s]);
      }
      for (int r0 = 0; r0 < count;) {
        int r1 = r0;
        for (; r1 < count && listed_.count + n[r1] <= kChunk; ++r1) {
          at[r1] = listed_.count;
          addRun(x0[r1], ys[r1], n[r1]);
        }
        for (int i = 0; i < sampledCount_; ++i) {
          const int s = sampled_[i];
          samplers_[s]->listNarrow(starts[s], r0, r1, n, at, &listed_.points[s]);
        }
        if (r1 < count) flush();
        r0 = r1;
      }
    }
  }

  void shadeWide(RowWalker& rows, int y0, int y1) {
    for (int y = y0; y <= y1; ++y) {
      int x0, x1;
      if (!rows.next(&x0, &x1)) continue;
      const int n = x1 - x0;
      if (listed_.count + n > kChunk) flush();
      for (int i = 0; i < sampledCount_; ++i) {
        const int s = sampled_[i];
        samplers_[s]->list(x0, y, n, &listed_.wide[s], listed_.count);
      }
      addRun(x0, y, n);
    }
  }

  // Lists the run [x0, x0 + n) of row y after the pixels listed so far.
  void addRun(int x0, int y, int n) {
    listed_.runs[listed_.runCount++] = {plan_.target->row32(static_cast<UINT>(y)) + x0, n};
    if (varying_) {
      for (int k = 0; k < n; ++k) {
        listed_.xs[listed_.count + k] = x0 + k;
        listed_.ys[listed_.count + k] = y;
      }
    }
    listed_.count += n;
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
    if (varying_) {
      for (int k = n; k < padded; ++k) {
        listed_.xs[k] = listed_.xs[n - 1];
        listed_.ys[k] = listed_.ys[n - 1];
      }
      diffusePoints(t_, listed_.xs, listed_.ys, padded, diffuse_);
    }
    const std::uint32_t* current = runStages(fast_, plan_, diffuse_, texels_, scratch_, padded);
    const Run* runs = listed_.runs;
    const int runCount = listed_.runCount;
    for (int r = 0, at = 0; r < runCount; at += runs[r].n, ++r) {
      copyWords(runs[r].at, runs[r].n, below_ + at);
    }
    // Where the texels are the colours, all eight lanes of the last vector
    // hold samples: the store takes whole vectors (on the list, not the
    // target), and the lanes past n go nowhere.
    const int stored = fast_.texelAsIs && listed_.narrow ? (n + 7) & ~7 : n;
    std::fill(below_ + n, below_ + stored, 0u);
    fast_.store(fast_.target, current, below_, stored);
    for (int r = 0, at = 0; r < runCount; at += runs[r].n, ++r) {
      copyWords(below_ + at, runs[r].n, runs[r].at);
    }
    listed_.count = 0;
    listed_.runCount = 0;
  }

  const FastSpan& fast_;
  const DrawPlan& plan_;
  const Triangle& t_;
  const StageSampler* const* samplers_;
  const bool varying_;          // the diffuse colour is read and varies
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
