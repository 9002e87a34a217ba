// One quad with a settable rectangle and one vertex colour whose alpha
// carries the opacity of the zoom blur's passes.
#pragma once

#include <d3d9.h>

struct FadeVertex {
  float x, y, z;
  D3DCOLOR diffuse;
  float u, v;
};
static_assert(sizeof(FadeVertex) == 24, "the device reads 24-byte vertices");

constexpr DWORD kFadeVertexFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class FadeQuad {
 public:
  FadeQuad();
  ~FadeQuad();
  FadeQuad(const FadeQuad&) = delete;
  FadeQuad& operator=(const FadeQuad&) = delete;

  void set(float alpha, float rightEdge, float leftEdge, float topEdge, float bottomEdge);
  void draw();

  IDirect3DVertexBuffer9* vertexBuffer = nullptr;
  float right = 1.0f;
  float top = 1.0f;
  float left = -1.0f;
  float bottom = -1.0f;
  D3DCOLOR color = 0xFF000000u;

 private:
  void write();
};
