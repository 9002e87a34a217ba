#include "effects/zoom_blur.h"

#include "core/globals.h"
#include "effects/screen_quad.h"
#include "math/d3dx_math.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"
#include "resources/texture.h"
#include "resources/texture_registry.h"

ZoomBlur::ZoomBlur() : FadeQuad() {
  targetA = g_textureRegistry.createRenderTarget("target_a", 256);
  targetB = g_textureRegistry.createRenderTarget("target_b", 256);
  targetC = g_textureRegistry.createRenderTarget("target_c", 128);
  targetD = g_textureRegistry.createRenderTarget("target_d", 128);
}

void ZoomBlur::copy(Texture* source, Texture* destination) {
  render_to_texture::setTarget(destination);
  g_screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ZERO, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  g_screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.001f, 0.001f);
  g_screenQuad.draw(source, true);
}

namespace {

// The texture's colour, the quad's alpha, and source alpha on both sides of
// the blend: each draw writes alpha x (source + target). The passes and the
// final add use the same states, in this order.
void setAddingStates() {
  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  g_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

}  // namespace

void ZoomBlur::apply(Texture* frame, float shrink, float passAlpha, int passes, float angle) {
  // The frame is read into targetA and the passes write both targets: a
  // frame that is one of them would be drawn into while it is read.
  if (frame == nullptr || frame == targetA || frame == targetB) return;
  copy(frame, targetA);
  copy(targetA, targetB);

  g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  setAddingStates();

  float width = 640.0f;
  float height = 480.0f;
  D3DXMATRIX projection;
  D3DXMATRIX rotation;
  int passesDrawn = 0;
  for (int k = 0; k < passes; ++k) {
    width = width - shrink;
    height = height - shrink;
    // A rectangle shrunk to nothing has no projection (OrthoLH divides by
    // it): the blur stops at the last pass that still had one.
    if (!(width > 0.0f && height > 0.0f)) break;
    D3DXMatrixOrthoLH(&projection, width, height, 10.0f, -10.0f);
    D3DXMatrixRotationZ(&rotation, angle);
    D3DXMatrixMultiply(&projection, &projection, &rotation);
    g_device->SetTransform(D3DTS_WORLD, &projection);
    set(passAlpha, 320.0f, -320.0f, 240.0f, -240.0f);
    if (k % 2 == 0) {
      render_to_texture::setTarget(targetB);
      targetA->bind(0);
    } else {
      render_to_texture::setTarget(targetA);
      targetB->bind(0);
    }
    FadeQuad::draw();
    ++passesDrawn;
  }

  render_to_texture::setTarget(frame);
  // With no pass there is no result to add: the second copy left stage 0
  // empty, and the frame stays as it was drawn.
  if (passesDrawn == 0) return;

  setAddingStates();

  // The texture still bound on stage 0 is the one the last pass read from.
  set(1.0f, 320.0f, -320.0f, 240.0f, -240.0f);
  D3DXMatrixOrthoLH(&projection, 640.0f, 480.0f, 10.0f, -10.0f);
  g_device->SetTransform(D3DTS_WORLD, &projection);
  FadeQuad::draw();
}
