#include "demo_timeline.h"

#include <d3d9.h>

#include <cmath>

#include "effects/screen_quad.h"
#include "effects/warp_grid.h"
#include "effects/zoom_blur.h"
#include "resources/render_to_texture.h"

// The bounds are single precision where the show compares with floats and
// double where it compares with doubles; either way t itself is a float.
bool inOpeningScene(float t) { return t < 12.9f; }
bool inPulseScene(float t) { return 12.9f < t && t < 30.0f; }
bool inTextScene(float t) { return 30.0f < t && t < 79.0f; }
bool inClosingScene(float t) { return 79.0f < t && static_cast<double>(t) < 98.0; }
bool pastEndOfShow(float t) { return static_cast<double>(t) > 98.27; }

// The thresholds compare 0.3 x s0 at extended precision; the product of two
// floats is exact in double, so double gives the same answers.
static bool bassAbove(float s0, float threshold) {
  return static_cast<double>(0.3f) * static_cast<double>(s0) > static_cast<double>(threshold);
}

void accumulatePulse(TimelineState& state, float s0) {
  if (bassAbove(s0, 0.22f)) {
    state.bassSum = state.bassSum + 0.1f * s0;
  }
  if (bassAbove(s0, 0.25f)) {
    state.swingFlip = !state.swingFlip;
    if (state.swingFlip) {
      state.swing = state.swing + state.bassSum;
    } else {
      state.swing = state.swing - state.bassSum;
    }
  }
}

void flipTextOverlay(TimelineState& state, float s0, const ShowTextures& tex) {
  if (!bassAbove(s0, 0.12f)) return;
  state.bassSum = state.bassSum + s0;
  if (state.overlayStep >= 2) state.overlayStep = 0;
  state.overlayStep = state.overlayStep + 1;
  if (state.overlayStep == 1) {
    state.currentOverlay = tex.texTextOverlay02;
  } else if (state.overlayStep == 2) {
    state.currentOverlay = tex.texTextOverlay01;
  }
}

void advanceCaption(TimelineState& state, float t, const ShowTextures& tex) {
  if (!(static_cast<double>(t) > static_cast<double>(state.captionClock) + 7.0)) return;
  Texture* const captions[] = {tex.texText02, tex.texText03, tex.texText04, tex.texText05,
                               tex.texText06};
  state.captionClock = state.captionClock + 7.0f;
  // captionClock stops at 75 because the scene ends at 79, so the index
  // stays inside the list; the guard keeps it so if that ever changes.
  if (state.captionStep >= 0 && state.captionStep < 5) {
    state.currentCaption = captions[state.captionStep];
  }
  state.captionStep = state.captionStep + 1;
}

DemoTimeline::DemoTimeline(const ShowTextures& textures, ScreenQuad& quad, render_to_texture& frame,
                           WarpGrid& grid, ZoomBlur& blur)
    : tex(textures), screenQuad(quad), renderTarget(frame), warpGrid(grid), zoomBlur(blur) {
  state.currentOverlay = tex.texTextOverlay01;
  state.currentCaption = tex.texText01;
}

void DemoTimeline::openingScene(float t, const float* spectrum) {
  if (!inOpeningScene(t)) return;
  float s0 = spectrum[0];
  screenQuad.setBlend(D3DBLEND_ONE, D3DBLEND_ONE, D3DTOP_SELECTARG1, D3DTOP_SELECTARG1);
  screenQuad.setTransform(t, 1.0f, 1.0f, -0.5f, -0.5f);
  screenQuad.draw(tex.texD, false);
  warpGrid.resetTexCoords(1.0f, 1.0f, 0.0f, 0.0f);
  warpGrid.alpha = s0;
  warpGrid.setTransform(t, 1.0f - s0, 1.0f - s0, -0.5f, 0.5f);
  warpGrid.draw(tex.texD);
  screenQuad.drawOverlay(tex.texYellowFrame2);
}

void DemoTimeline::pulseScene(float t, const float* spectrum) {
  if (!inPulseScene(t)) return;
  accumulatePulse(state, spectrum[0]);
  warpGrid.resetTexCoords(1.0f, 1.0f, 0.4f * t, state.bassSum);
  warpGrid.addVerticalWave(0.1f, t, 0.0f);
  warpGrid.draw(tex.texGulfisk);
  zoomBlur.apply(&renderTarget.target, 0.2f, 0.6f, 8, 0.5f * state.swing);
  screenQuad.drawOverlay(tex.texYellowFrame2);
  warpGrid.resetTexCoords(1.0f, 1.0f, 0.3f * t, 0.0f);
  warpGrid.addVerticalWave(0.1f, t, 0.0f);
  warpGrid.alpha = 1.0f;
  warpGrid.draw(tex.texRibbon);
  screenQuad.setBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1,
                      D3DTOP_SELECTARG1);
  screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
  screenQuad.draw(tex.texOverup, false);
}

void DemoTimeline::textScene(float t, const float* spectrum) {
  if (!inTextScene(t)) return;
  float s0 = spectrum[0];
  float s1 = spectrum[1];
  float w = std::sin(0.1f * t) + 2.0f;
  warpGrid.resetTexCoords(w, w, 0.0f, 0.0f);
  warpGrid.addDiagonalWaves(0.4f, t);
  warpGrid.setTransform(t, 1.0f, 1.0f, -0.5f, 0.5f);
  warpGrid.draw(tex.texLort);
  zoomBlur.apply(&renderTarget.target, 10.8f, 0.6f, 8, 0.0f);
  screenQuad.drawOverlay(tex.texYellowFrame2);
  flipTextOverlay(state, s0, tex);
  advanceCaption(state, t, tex);
  warpGrid.resetTexCoords(1.0f, 1.0f, 0.01f * s0, 0.01f * s1);
  warpGrid.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  warpGrid.draw(state.currentCaption);
  screenQuad.setBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1,
                      D3DTOP_SELECTARG1);
  screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, -0.1f);
  screenQuad.draw(state.currentOverlay, false);
  screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
  screenQuad.draw(tex.texCuffercup, false);
}

void DemoTimeline::closingScene(float t, const float* /*spectrum*/) {
  if (!inClosingScene(t)) return;
  screenQuad.setBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1,
                      D3DTOP_SELECTARG1);
  screenQuad.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
  screenQuad.draw(tex.texWhite, false);
  // The 0.5 and 1.0 here are doubles; the arguments are passed as floats.
  warpGrid.resetTexCoords(static_cast<float>(0.5 * std::sin(0.1f * t) + 1.0),
                          static_cast<float>(0.5 * std::cos(0.2f * t) + 1.0), 0.1f * t,
                          0.6f * std::sin(0.8f * t));
  warpGrid.setTransform(0.1f * (t - 79.0f), 1.0f, 1.0f, 0.0f, 0.0f);
  warpGrid.alpha = 1.0f;
  warpGrid.addVerticalWave(0.1f, 0.3f * t, 0.0f);
  warpGrid.addWaves(0.05f, 0.05f, 0.09f, 0.1f * t, -0.1f * t);
  warpGrid.draw(tex.texHore);
  screenQuad.drawOverlay(tex.texYellowFrame2);
  warpGrid.resetTexCoords(1.0f, 1.0f, 0.0f, 0.0f);
  warpGrid.setTransform(0.0f, 1.0f, 1.0f, 0.0f, 0.0f);
  warpGrid.alpha = 1.0f;
  warpGrid.addRipple(0.3f, 0.001f, 2.0f * t);
  warpGrid.draw(tex.texCred);
  screenQuad.drawOverlay(tex.texYellowFrame2);
}
