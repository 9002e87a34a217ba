#include "effects/warp_grid.h"

#include <cmath>

#include "effects/texture_transform.h"
#include "platform/d3dwindow.h"
#include "resources/texture.h"

WarpGrid::WarpGrid() : Grid() {
  textureMatrix = identityMatrix();
  alpha = 1.0f;
}

void WarpGrid::resetTexCoords(float spanU, float spanV, float startU, float startV) {
  const float du = spanU / static_cast<float>(columns - 1);
  const float dv = spanV / static_cast<float>(rows - 1);
  float v = startV;
  for (int i = 0; i < rows; ++i) {
    float u = startU;
    TexturedVertex* row = vertices + i * columns;
    for (int j = 0; j < columns; ++j) {
      row[j].u = u;
      row[j].v = v;
      u += du;
    }
    v -= dv;
  }
}

void WarpGrid::addWaves(float amplitude, float columnFrequency, float rowFrequency, float rowPhase,
                        float columnPhase) {
  for (int i = 0; i < rows; ++i) {
    const float du = amplitude * std::sin(static_cast<float>(i) * rowFrequency + rowPhase);
    TexturedVertex* row = vertices + i * columns;
    for (int j = 0; j < columns; ++j) {
      row[j].u += du;
      row[j].v += amplitude * std::sin(static_cast<float>(j) * columnFrequency + columnPhase);
    }
  }
}

void WarpGrid::addRipple(float frequency, float amplitude, float phase) {
  const float centreColumn = static_cast<float>(columns) / 2.0f;
  const float centreRow = static_cast<float>(rows) / 2.0f;
  for (int i = 0; i < rows; ++i) {
    const float m = static_cast<float>(i) - centreRow;
    TexturedVertex* row = vertices + i * columns;
    for (int j = 0; j < columns; ++j) {
      const float l = centreColumn - static_cast<float>(j);
      const float o = amplitude * std::sin(phase + frequency * std::sqrt(l * l + m * m));
      row[j].u += l * o;
      row[j].v += m * o;
    }
  }
}

void WarpGrid::addDiagonalWaves(float amplitude, float phase) {
  const float kc = 1.5707964f / static_cast<float>(columns - 1);
  const float kr = 1.5707964f / static_cast<float>(rows - 1);
  for (int i = 0; i < rows; ++i) {
    const float fi = static_cast<float>(i);
    TexturedVertex* row = vertices + i * columns;
    for (int j = 0; j < columns; ++j) {
      const float fj = static_cast<float>(j);
      row[j].v += amplitude * std::sin(phase + fi * kc + fj * kr);
      row[j].u += amplitude * std::sin(phase + fi * kr - fj * kc);
    }
  }
}

void WarpGrid::addVerticalWave(float amplitude, float phase, float base) {
  // Divided by the counts themselves, not the counts less one.
  const float kr = 4.712388981f / static_cast<float>(rows);
  const float kc = 4.712388981f / static_cast<float>(columns);
  for (int i = 0; i < rows; ++i) {
    const float h = base + amplitude * std::sin(static_cast<float>(i) * kr - 1.5707964f);
    TexturedVertex* row = vertices + i * columns;
    for (int j = 0; j < columns; ++j) {
      row[j].v += h * std::sin(static_cast<float>(j) * kc - phase);
    }
  }
}

void WarpGrid::setTransform(float angle, float scaleU, float scaleV, float offsetU, float offsetV) {
  textureMatrix = textureTransform(angle, scaleU, scaleV, offsetU, offsetV);
}

DWORD textureFactorFor(float alpha) {
  DWORD a;
  if (alpha >= 1.0f) {
    a = 255;
  } else if (!(alpha > 0.0f)) {  // NaN too: no opacity rather than an undefined byte
    a = 0;
  } else {
    a = static_cast<DWORD>(alpha * 255.0f + 0.5f);
  }
  return a << 24;
}

void WarpGrid::draw(Texture* texture) {
  if (texture == nullptr) {
    // No picture to draw: the draw is over all the same.
    textureMatrix = identityMatrix();
    alpha = 1.0f;
    return;
  }
  texture->bind(0);
  texture->bind(1);
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, TRUE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  g_device->SetRenderState(D3DRS_TEXTUREFACTOR, textureFactorFor(alpha));
  g_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);

  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
  g_device->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_CURRENT);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);

  g_device->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  g_device->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  g_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  g_device->SetTransform(D3DTS_TEXTURE1, &textureMatrix);

  D3DXMATRIX identity = identityMatrix();
  g_device->SetTransform(D3DTS_WORLD, &identity);
  g_device->SetTransform(D3DTS_VIEW, &identity);
  g_device->SetTransform(D3DTS_PROJECTION, &identity);

  Grid::draw();

  g_device->SetTexture(0, nullptr);
  g_device->SetTexture(1, nullptr);
  textureMatrix = identityMatrix();
  alpha = 1.0f;
}
