#include "effects/fade_quad.h"

#include <cstring>

#include "platform/d3dwindow.h"

FadeQuad::FadeQuad() {
  if (FAILED(g_device->CreateVertexBuffer(4 * sizeof(FadeVertex),
                                          D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFadeVertexFvf,
                                          D3DPOOL_DEFAULT, &vertexBuffer, nullptr))) {
    vertexBuffer = nullptr;  // nothing to fill, and draw draws nothing
  }
  write();
}

FadeQuad::~FadeQuad() {
  if (vertexBuffer != nullptr) {
    vertexBuffer->Release();
    vertexBuffer = nullptr;
  }
}

void FadeQuad::set(float alpha, float rightEdge, float leftEdge, float topEdge, float bottomEdge) {
  // The byte is alpha x 255 truncated. An opacity outside [0, 1] (or NaN)
  // would not fit the byte and would spill into the colour, so it is held
  // to the range first.
  if (!(alpha > 0.0f)) alpha = 0.0f;
  if (alpha > 1.0f) alpha = 1.0f;
  color = static_cast<D3DCOLOR>(static_cast<int>(alpha * 255.0f)) << 24;
  right = rightEdge;
  left = leftEdge;
  top = topEdge;
  bottom = bottomEdge;
}

void FadeQuad::write() {
  if (vertexBuffer == nullptr) return;
  const FadeVertex quad[4] = {
      {left, top, 1.0f, color, 0.0f, 0.0f},
      {right, top, 1.0f, color, 1.0f, 0.0f},
      {right, bottom, 1.0f, color, 1.0f, 1.0f},
      {left, bottom, 1.0f, color, 0.0f, 1.0f},
  };
  void* data = nullptr;
  if (SUCCEEDED(vertexBuffer->Lock(0, sizeof quad, &data, 0)) && data != nullptr) {
    std::memcpy(data, quad, sizeof quad);
    vertexBuffer->Unlock();
  }
}

void FadeQuad::draw() {
  if (vertexBuffer == nullptr) return;
  write();
  g_device->SetFVF(kFadeVertexFvf);
  g_device->SetStreamSource(0, vertexBuffer, 0, sizeof(FadeVertex));
  g_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}
