// Draws one texture over the whole current render target: through a turned,
// scaled and shifted texture matrix with chosen blend factors, or multiplied
// onto what is there as an overlay.
#pragma once

#include <d3d9.h>

#include "math/d3dx_math.h"

class Texture;

class ScreenQuad {
 public:
  ScreenQuad();
  ~ScreenQuad();
  ScreenQuad(const ScreenQuad&) = delete;
  ScreenQuad& operator=(const ScreenQuad&) = delete;

  void createQuad();
  void release();
  void drawQuad();
  void setBlend(DWORD srcBlend, DWORD destBlend, DWORD colorOp, DWORD alphaOp);
  void setTransform(float angle, float scaleU, float scaleV, float offsetU, float offsetV);
  void draw(Texture* texture, bool clamp);
  void drawOverlay(Texture* texture);

  IDirect3DVertexBuffer9* quad = nullptr;
  D3DXMATRIX textureMatrix;
};
