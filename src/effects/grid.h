// A full-screen lattice of 81 x 61 vertices drawn as one indexed triangle
// list. Only texture coordinates change between draws, so the indices stay
// in a managed buffer and the vertices are re-sent whole every draw.
#pragma once

#include <d3d9.h>

#include "resources/textured_vertex.h"

class Grid {
 public:
  Grid();
  ~Grid();
  Grid(const Grid&) = delete;
  Grid& operator=(const Grid&) = delete;

  void build();
  void draw();

  IDirect3DIndexBuffer9* indexBuffer = nullptr;
  IDirect3DVertexBuffer9* vertexBuffer = nullptr;
  TexturedVertex* vertices = nullptr;
  int columns = 0;
  int rows = 0;
  int vertexCount = 0;
  int indexCount = 0;

 private:
  void release();
};
