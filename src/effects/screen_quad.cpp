#include "effects/screen_quad.h"

#include <cstring>

#include "effects/texture_transform.h"
#include "platform/d3dwindow.h"
#include "resources/texture.h"
#include "resources/textured_vertex.h"

namespace {

const TexturedVertex kQuad[4] = {
    {-1.0f, 1.0f, 1.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, 1.0f, 1.0f, 0.0f},
    {1.0f, -1.0f, 1.0f, 1.0f, 1.0f},
    {-1.0f, -1.0f, 1.0f, 0.0f, 1.0f},
};

void setIdentityTransforms() {
  D3DXMATRIX identity = identityMatrix();
  g_device->SetTransform(D3DTS_WORLD, &identity);
  g_device->SetTransform(D3DTS_VIEW, &identity);
  g_device->SetTransform(D3DTS_PROJECTION, &identity);
}

}  // namespace

ScreenQuad::ScreenQuad() {
  createQuad();
  textureMatrix = identityMatrix();
}

ScreenQuad::~ScreenQuad() { release(); }

void ScreenQuad::createQuad() {
  release();  // a second creation must not leak the first buffer
  if (FAILED(g_device->CreateVertexBuffer(sizeof kQuad, D3DUSAGE_WRITEONLY, kTexturedVertexFvf,
                                          D3DPOOL_MANAGED, &quad, nullptr))) {
    quad = nullptr;  // nothing to fill, and drawQuad draws nothing
  }
  if (quad == nullptr) return;
  void* data = nullptr;
  if (SUCCEEDED(quad->Lock(0, sizeof kQuad, &data, 0)) && data != nullptr) {
    std::memcpy(data, kQuad, sizeof kQuad);
    quad->Unlock();
  }
}

void ScreenQuad::release() {
  if (quad != nullptr) {
    quad->Release();
    quad = nullptr;
  }
}

void ScreenQuad::drawQuad() {
  if (quad == nullptr) return;
  g_device->SetFVF(kTexturedVertexFvf);
  g_device->SetStreamSource(0, quad, 0, sizeof(TexturedVertex));
  g_device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}

void ScreenQuad::setBlend(DWORD srcBlend, DWORD destBlend, DWORD colorOp, DWORD alphaOp) {
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, TRUE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  g_device->SetRenderState(D3DRS_SRCBLEND, srcBlend);
  g_device->SetRenderState(D3DRS_DESTBLEND, destBlend);
  for (DWORD stage = 0; stage < 2; ++stage) {
    g_device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    g_device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_COLOROP, colorOp);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
  }
  g_device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

void ScreenQuad::setTransform(float angle, float scaleU, float scaleV, float offsetU,
                              float offsetV) {
  textureMatrix = textureTransform(angle, scaleU, scaleV, offsetU, offsetV);
}

void ScreenQuad::draw(Texture* texture, bool clamp) {
  if (texture == nullptr) {
    // No picture to draw: the draw is over all the same.
    textureMatrix = identityMatrix();
    return;
  }
  texture->bind(1);
  texture->bind(0);
  D3DXMATRIX identity = identityMatrix();
  g_device->SetTransform(D3DTS_VIEW, &identity);
  g_device->SetTransform(D3DTS_PROJECTION, &identity);
  g_device->SetTransform(D3DTS_WORLD, &identity);
  DWORD address = clamp ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
  g_device->SetSamplerState(1, D3DSAMP_ADDRESSU, address);
  g_device->SetSamplerState(1, D3DSAMP_ADDRESSV, address);
  g_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  g_device->SetTransform(D3DTS_TEXTURE1, &textureMatrix);
  drawQuad();
  g_device->SetTexture(1, nullptr);
  g_device->SetTexture(0, nullptr);
  textureMatrix = identityMatrix();
}

void ScreenQuad::drawOverlay(Texture* texture) {
  if (texture == nullptr) return;
  texture->bind();
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, TRUE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  g_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
  g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
  g_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  setIdentityTransforms();
  drawQuad();
  g_device->SetTexture(0, nullptr);
}
