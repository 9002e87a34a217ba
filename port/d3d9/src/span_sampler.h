// The fast sampler: the same texels as sampleSpan (sampler.h) for affine
// triangles reading 32-bit levels, with the coordinates stepped in fixed
// point and four channels filtered at once (SSE2).
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstdint>

#include "plan.h"
#include "rounding.h"
#include "triangle_setup.h"

namespace d3d9impl {

// True when every level of the texture can be read as 32-bit words (made
// here, once after each lock, for the narrower formats).
bool fastSamplable(const Texture& texture);

class StageLevels;

// One stage's sampling over one affine triangle: what stays the same over
// the triangle (levels, steps, the filter loop) is chosen once.
class StageSampler {
 public:
  // levels: the stage's texture, prepared for this draw.
  StageSampler(const StageLevels& levels, const StageSetup& setup);

  // out[k] = the sample of pixel (x0 + k, y), k < n, as sampleSpan gives it.
  // n must be a multiple of 4 (the extra pixels are sampled like the others,
  // always inside the texture), and out must have room for n rounded up to a
  // multiple of 8 (64 words always do: n <= 64).
  void sample(int x0, int y, int n, std::uint32_t* out) const;

  // Listed pixels, for triangles whose rows are short: each pass's
  // coordinates at each pixel, as sample() steps them along a run.
  struct Points {
    static constexpr int kSize = 64;
    std::int64_t s[2][kSize], t[2][kSize];
  };
  int passes() const { return passes_; }

  // Lists the n pixels of the run of row y that starts at x0, from index at.
  void list(int x0, int y, int n, Points* points, int at) const;

  // out[k] = the sample at the listed coordinates k, k < n (a multiple of
  // 4, at most Points::kSize), as sample() gives it.
  void samplePoints(const Points& points, int n, std::uint32_t* out) const;

  // The same with 32-bit coordinates, for the triangles of which every
  // coordinate fits them (fitsNarrow): the run starts of several rows are
  // found together, each run's pixels are stepped four at a time, and the
  // eight-wide filter reads them as they are.
  static constexpr int kRuns = 16;
  struct Starts {
    std::int32_t s[2][kRuns + 1], t[2][kRuns + 1];  // one spare for pairs
  };
  struct NarrowPoints {
    static constexpr int kSize = Points::kSize + 8;  // a last vector's overhang
    alignas(32) std::int32_t s[2][kSize], t[2][kSize];
  };

  // True when every pass has the eight-wide filter and each coordinate of
  // rows y0..y1 between columns minX and maxX fits 32 bits with room.
  bool fitsNarrow(int minX, int maxX, int y0, int y1) const;

  // The starts of runs r < count (at most kRuns) that begin at (x0[r], y[r]).
  void starts(const int* x0, const int* y, int count, Starts* out) const;

  // Lists runs r0 <= r < r1 of those: run r's n[r] pixels from index at[r],
  // the runs one after another.
  void listNarrow(const Starts& starts, int r0, int r1, const int* n, const int* at,
                  NarrowPoints* points) const;

  // samplePoints on narrow points; the lanes from n up to a multiple of 8
  // are filled with copies of the last point first.
  void sampleNarrow(NarrowPoints* points, int n, std::uint32_t* out) const;

  struct Level {
    const std::uint8_t* bits;
    std::size_t pitch;
    int w, h;
    const std::uint32_t* row(int y) const {
      return reinterpret_cast<const std::uint32_t*>(bits + static_cast<std::size_t>(y) * pitch);
    }
  };
  struct Steps {
    std::int64_t s0, t0, ds, dt;
  };
  using Filter = void (*)(const Level&, const Steps&, int, std::uint32_t*);
  using Wide = bool (*)(const Level&, const Steps&, int, std::uint32_t*);
  using PointsFilter = void (*)(const Level&, const std::int64_t*, const std::int64_t*, int,
                                std::uint32_t*);
  using WidePoints = void (*)(const Level&, const std::int32_t*, const std::int32_t*, int,
                              std::uint32_t*);
  // out[k] = the blend of out[k] and second[k], weight (0..255) of second:
  // the trilinear mix of two levels' samples, k < n rounded up to a
  // multiple of 4.
  using Mix = void (*)(std::uint32_t* out, const std::uint32_t* second, unsigned weight, int n);
  // starts() of four runs at a time, where there is one.
  using FourStarts = void (*)(const Plane& u, const Plane& v, double shift, const double* w,
                              const double* h, int passes, const int* x0, const int* y, int count,
                              Starts* out);

 private:
  struct Pass {
    Level level;
    Filter filter;
    Wide wide;  // the eight-wide filter where there is one, tried first
    PointsFilter points;
    WidePoints widePoints;
    double w, h;
    std::int64_t ds, dt;
    // The steps of four narrow points from a run's start, (0, 1, 2, 3) ds and
    // dt, and of the next four, 4 ds and 4 dt: wrapping 32-bit values.
    __m128i rampS, rampT, stepS, stepT;
    bool opaque;  // X8R8G8B8: alpha reads 0xFF
  };
  void run(const Pass& pass, int x0, int y, int n, std::uint32_t* out) const;
  // The run's first coordinates from the planes' u and v at its first pixel.
  Steps start(const Pass& pass, double u, double v) const;
  void finish(const Pass& pass, int n, std::uint32_t* out) const;

  const StageSetup& setup_;
  double shift_;
  Pass pass_[2];
  int passes_;
  unsigned weight_;
  Mix mix_;
  FourStarts fourStarts_;
};

// The filters of one level of a stage's texture, with and without bilinear
// filtering (a triangle's choice): the same for every triangle of a draw.
struct LevelPlan {
  StageSampler::Level level;
  StageSampler::Filter filter[2][2];  // [bilinear][the row is constant]
  StageSampler::Wide wide;            // bilinear, where there is one
  StageSampler::PointsFilter points[2];
  StageSampler::WidePoints widePoints;  // bilinear, where there is one
  bool opaque;                          // X8R8G8B8: alpha reads 0xFF
};

// Every level of one stage's texture, prepared once per draw.
class StageLevels {
 public:
  // The stage must have a texture that fastSamplable takes.
  void prepare(const StagePlan& stage);
  const LevelPlan& level(int index) const { return levels_[index]; }
  StageSampler::Mix mix() const { return mix_; }
  StageSampler::FourStarts fourStarts() const { return fourStarts_; }

 private:
  LevelPlan levels_[limits::kMaxLevels];
  StageSampler::Mix mix_;
  StageSampler::FourStarts fourStarts_;
};

namespace narrow {

// The four-point vectors of one pass's s and t along a run, stepped.
struct Lane {
  __m128i s, t, stepS, stepT;
  std::int32_t *ps, *pt;
  void store(int k) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(ps + k), s);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pt + k), t);
    s = _mm_add_epi32(s, stepS);
    t = _mm_add_epi32(t, stepT);
  }
};

}  // namespace narrow

inline void StageSampler::listNarrow(const Starts& starts, int r0, int r1, const int* n,
                                     const int* at, NarrowPoints* points) const {
  // Wrapping 32-bit steps: every value they reach fits, so each is exact.
  // A run's last vector may reach three points past it: the next run's
  // first vector, or the spare room, holds them. A run has a pixel at least.
  auto lane = [&](int i, int r) {
    const Pass& p = pass_[i];
    return narrow::Lane{_mm_add_epi32(_mm_set1_epi32(starts.s[i][r]), p.rampS),
                        _mm_add_epi32(_mm_set1_epi32(starts.t[i][r]), p.rampT),
                        p.stepS,
                        p.stepT,
                        points->s[i] + at[r],
                        points->t[i] + at[r]};
  };
  if (passes_ == 2) {  // both levels of a trilinear triangle in one walk
    for (int r = r0; r < r1; ++r) {
      narrow::Lane a = lane(0, r), b = lane(1, r);
      int k = 0;
      do {
        a.store(k);
        b.store(k);
        k += 4;
      } while (k < n[r]);
    }
    return;
  }
  for (int r = r0; r < r1; ++r) {
    narrow::Lane a = lane(0, r);
    int k = 0;
    do {
      a.store(k);
      k += 4;
    } while (k < n[r]);
  }
}

}  // namespace d3d9impl
