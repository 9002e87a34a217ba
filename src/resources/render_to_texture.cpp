#include "resources/render_to_texture.h"

#include <cstdio>
#include <cstring>

#include "math/d3dx_math.h"
#include "platform/d3dwindow.h"
#include "resources/textured_vertex.h"

namespace {

// The whole target, (0, 0) at its top-left corner, as a fan of two triangles.
constexpr TexturedVertex kQuad[4] = {
    {-1, 1, 1, 0, 0},
    {1, 1, 1, 1, 0},
    {1, -1, 1, 1, 1},
    {-1, -1, 1, 0, 1},
};
constexpr UINT kQuadBytes = sizeof kQuad;
constexpr int kTargetSize = 512;

}  // namespace

render_to_texture::render_to_texture() {
  if (FAILED(g_device->CreateVertexBuffer(kQuadBytes, 0, kTexturedVertexFvf, D3DPOOL_MANAGED, &quad,
                                          nullptr))) {
    quad = nullptr;  // nothing to fill, and endFrame draws nothing
  }
  if (quad != nullptr) {
    void* bytes = nullptr;
    if (SUCCEEDED(quad->Lock(0, kQuadBytes, &bytes, 0)) && bytes != nullptr) {
      std::memcpy(bytes, kQuad, kQuadBytes);
      quad->Unlock();
    }
  }
  g_device->GetRenderTarget(0, &backBuffer);
  Texture& frame = target;
  frame.createRenderTarget(kTargetSize);
  std::printf("render_to_texture is up and running free\n");
}

render_to_texture::~render_to_texture() {
  if (quad != nullptr) {
    quad->Release();
    quad = nullptr;
  }
  if (backBuffer != nullptr) {
    backBuffer->Release();
    backBuffer = nullptr;
  }
  Texture& frame = target;
  frame.release();
  std::printf("render_to_texture goes to bed\n");
}

void render_to_texture::beginFrame() {
  g_device->BeginScene();
  // A target that could not be created is skipped: the frame goes to
  // whatever target is current.
  if (target.surface != nullptr) g_device->SetRenderTarget(0, target.surface);
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(0, 0, 0, 0), 1.0f, 0);
}

void render_to_texture::endFrame() {
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);

  g_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

  const D3DXMATRIX identity = identityMatrix();
  g_device->SetTransform(D3DTS_WORLD, &identity);
  g_device->SetTransform(D3DTS_VIEW, &identity);
  g_device->SetTransform(D3DTS_PROJECTION, &identity);

  if (backBuffer != nullptr) g_device->SetRenderTarget(0, backBuffer);
  target.bind(0);
  if (quad != nullptr) {
    g_device->SetFVF(kTexturedVertexFvf);
    g_device->SetStreamSource(0, quad, 0, sizeof(TexturedVertex));
    g_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }
  g_device->EndScene();
  g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

void render_to_texture::setTarget(Texture* t) {
  // A target whose creation failed has no level 0 to draw into: drawing
  // stays on the current target.
  if (t == nullptr || t->texture == nullptr) return;
  if (t->surface != nullptr) t->surface->Release();
  t->surface = nullptr;
  t->texture->GetSurfaceLevel(0, &t->surface);
  if (t->surface != nullptr) g_device->SetRenderTarget(0, t->surface);
}
