// The texture stages of the fast path, run on whole chunks of pixels: what
// a draw resolves once (the store, the constant arguments) and the stage
// operations on a chunk, with the same bits as shadeSpan (pixel_pipeline.h).
#pragma once

#include <cstdint>

#include "plan.h"
#include "span_blend.h"
#include "span_sampler.h"
#include "triangle_setup.h"

namespace d3d9impl {

// Pixels shaded together: as shadeSpan, each chunk of a run starts its own
// coordinates.
constexpr int kChunk = 64;
using Chunk = std::uint32_t[kChunk];

// The stage operations on n pixels (a multiple of 4), four or eight at a
// time, chosen once per draw: out = a op b for MODULATE(2X, 4X) and ADD;
// out = the argument modifiers of arg on in; out = colour's colour channels
// with alpha's alpha.
struct StageOps {
  void (*operate)(DWORD op, const std::uint32_t* a, const std::uint32_t* b, int n,
                  std::uint32_t* out);
  void (*modify)(DWORD arg, const std::uint32_t* in, int n, std::uint32_t* out);
  void (*merge)(const std::uint32_t* colour, const std::uint32_t* alpha, int n, std::uint32_t* out);
};

struct FastSpan {
  StoreSpan store = nullptr;
  StoreTarget target{};
  StageOps ops{};
  // One stage whose colour and alpha are its texel as sampled: the stages
  // have nothing to do.
  bool texelAsIs = false;
  // Stage arguments that are constants, as whole chunks.
  alignas(16) Chunk white;
  alignas(16) Chunk factor;
  // The levels of each stage that reads a texture.
  StageLevels levels[limits::kMaxTextureStages];
};

// False when the draw needs the reference path (no word form of a texture).
bool prepareFastSpan(const DrawPlan& plan, FastSpan* fast);

// The scratch chunks of one stage: up to four modified arguments, two
// operations and the merge of colour and alpha.
struct StageScratch {
  alignas(16) Chunk chunk[8];
  int used = 0;
  std::uint32_t* next() { return chunk[used++]; }
};

// The stages on one chunk of `padded` pixels (a multiple of 4): the diffuse
// colours and each texture stage's samples in, what the store takes out
// (pointing into diffuse, texels or scratch).
const std::uint32_t* runStages(const FastSpan& fast, const DrawPlan& plan,
                               const std::uint32_t* diffuse, const Chunk* texels,
                               StageScratch (&scratch)[2], int padded);

// The interpolated diffuse colour of a triangle that is not flat-coloured:
// at pixels x0 + k of row y, or at listed pixels (xs[k], ys[k]).
void diffuseChunk(const Triangle& t, int x0, int y, int n, std::uint32_t* out);
void diffusePoints(const Triangle& t, const int* xs, const int* ys, int n, std::uint32_t* out);

}  // namespace d3d9impl
