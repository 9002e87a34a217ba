// The show's main picture effect: one texture stretched over the grid, each
// lattice point with its own texture coordinates, laid out, bent by sine
// warps, turned and scaled through a texture matrix, and blended with an
// opacity over what is already in the target.
#pragma once

#include "effects/grid.h"
#include "math/d3dx_math.h"

class Texture;

class WarpGrid : public Grid {
 public:
  WarpGrid();

  void resetTexCoords(float spanU, float spanV, float startU, float startV);
  void addWaves(float amplitude, float columnFrequency, float rowFrequency, float rowPhase,
                float columnPhase);
  void addRipple(float frequency, float amplitude, float phase);
  void addDiagonalWaves(float amplitude, float phase);
  void addVerticalWave(float amplitude, float phase, float base);
  void setTransform(float angle, float scaleU, float scaleV, float offsetU, float offsetV);
  void draw(Texture* texture);

  D3DXMATRIX textureMatrix;
  float alpha = 1.0f;
};

// The texture factor for an opacity: alpha byte only, clamped to [0, 255].
DWORD textureFactorFor(float alpha);
