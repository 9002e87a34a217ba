// The vertex of every full-screen quad and of the warp grid: a position and
// one texture coordinate, D3DFVF_XYZ | D3DFVF_TEX1.
#pragma once

#include <d3d9.h>

struct TexturedVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(TexturedVertex) == 20, "the device reads 20-byte vertices");

constexpr DWORD kTexturedVertexFvf = D3DFVF_XYZ | D3DFVF_TEX1;
