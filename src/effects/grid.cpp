#include "effects/grid.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/d3dwindow.h"

Grid::Grid() {
  columns = 81;
  rows = 61;
  build();
}

Grid::~Grid() { release(); }

void Grid::release() {
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
  if (indexBuffer != nullptr) {
    indexBuffer->Release();
    indexBuffer = nullptr;
  }
  delete[] vertices;
  vertices = nullptr;
}

void Grid::build() {
  release();  // building again must not leak the first lattice
  vertexCount = columns * rows;
  indexCount = (6 * rows - 6) * (columns - 1);

  vertices = new TexturedVertex[vertexCount];
  // Each step is a float once; positions and coordinates grow by repeated
  // addition, as the lattice has always been laid out.
  const float stepX = 2.0f / static_cast<float>(columns - 1);
  const float stepU = 1.0f / static_cast<float>(columns - 1);
  const float stepY = 2.0f / static_cast<float>(rows - 1);
  const float stepV = 1.0f / static_cast<float>(rows - 1);
  float y = -1.0f;
  float v = 0.0f;
  for (int i = 0; i < rows; ++i) {
    float x = -1.0f;
    float u = 0.0f;
    for (int j = 0; j < columns; ++j) {
      vertices[i * columns + j] = TexturedVertex{x, y, 1.0f, u, v};
      x += stepX;
      u += stepU;
    }
    y += stepY;
    v -= stepV;
  }

  std::vector<WORD> indices(static_cast<std::size_t>(indexCount));
  std::size_t n = 0;
  for (int i = 0; i < rows - 1; ++i) {
    int b = i * columns;
    for (int j = 0; j < columns - 1; ++j) {
      indices[n++] = static_cast<WORD>(b + j);
      indices[n++] = static_cast<WORD>(b + j + 1);
      indices[n++] = static_cast<WORD>(b + columns + j);
      indices[n++] = static_cast<WORD>(b + columns + j);
      indices[n++] = static_cast<WORD>(b + columns + j + 1);
      indices[n++] = static_cast<WORD>(b + j + 1);
    }
  }

  const UINT vertexBytes = static_cast<UINT>(vertexCount) * sizeof(TexturedVertex);
  if (FAILED(g_device->CreateVertexBuffer(vertexBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                          kTexturedVertexFvf, D3DPOOL_DEFAULT, &vertexBuffer,
                                          nullptr))) {
    std::printf("CreateVertexBuffer failed, Grid\n");
    vertexBuffer = nullptr;
  }
  void* data = nullptr;
  if (vertexBuffer != nullptr && SUCCEEDED(vertexBuffer->Lock(0, vertexBytes, &data, 0)) &&
      data != nullptr) {
    std::memcpy(data, vertices, vertexBytes);
    vertexBuffer->Unlock();
  }

  const UINT indexBytes = static_cast<UINT>(indexCount) * sizeof(WORD);
  g_device->CreateIndexBuffer(indexBytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indexBuffer,
                              nullptr);
  data = nullptr;
  if (indexBuffer != nullptr && SUCCEEDED(indexBuffer->Lock(0, indexBytes, &data, 0)) &&
      data != nullptr) {
    std::memcpy(data, indices.data(), indexBytes);
    indexBuffer->Unlock();
  }
}

void Grid::draw() {
  // Without its vertex buffer the grid cannot be drawn at all.
  if (vertexBuffer == nullptr || indexBuffer == nullptr) return;
  const UINT vertexBytes = static_cast<UINT>(vertexCount) * sizeof(TexturedVertex);
  void* data = nullptr;
  if (SUCCEEDED(vertexBuffer->Lock(0, vertexBytes, &data, D3DLOCK_DISCARD)) && data != nullptr) {
    std::memcpy(data, vertices, vertexBytes);
    vertexBuffer->Unlock();
  }
  g_device->SetFVF(kTexturedVertexFvf);
  g_device->SetIndices(indexBuffer);
  g_device->SetStreamSource(0, vertexBuffer, 0, sizeof(TexturedVertex));
  g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(vertexCount), 0,
                                 static_cast<UINT>(indexCount / 3));
}
