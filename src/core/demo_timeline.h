// The show's script: four scenes, each a fixed list of drawing calls whose
// arguments are formulas of the music time t and the two lowest spectrum
// bands s0 and s1, and the little state the script carries between frames.
#pragma once

#include "show_textures.h"

class ScreenQuad;
class WarpGrid;
class ZoomBlur;
class render_to_texture;

struct TimelineState {
  float bassSum = 0.0f;
  float swing = 0.0f;
  bool swingFlip = false;
  int overlayStep = 0;
  Texture* currentOverlay = nullptr;
  int captionStep = 0;
  float captionClock = 40.0f;
  Texture* currentCaption = nullptr;
};

// The scene windows, tested in this order; at most one holds for any t.
bool inOpeningScene(float t);
bool inPulseScene(float t);
bool inTextScene(float t);
bool inClosingScene(float t);
// The loop ends on the first pass whose t is past the end of the show.
bool pastEndOfShow(float t);

// The state changes of the scenes, apart from their drawing.
void accumulatePulse(TimelineState& state, float s0);
void flipTextOverlay(TimelineState& state, float s0, const ShowTextures& tex);
void advanceCaption(TimelineState& state, float t, const ShowTextures& tex);

class DemoTimeline {
 public:
  DemoTimeline(const ShowTextures& textures, ScreenQuad& screenQuad, render_to_texture& frame,
               WarpGrid& warpGrid, ZoomBlur& zoomBlur);

  // Each runs only inside its own window of t.
  void openingScene(float t, const float* spectrum);
  void pulseScene(float t, const float* spectrum);
  void textScene(float t, const float* spectrum);
  void closingScene(float t, const float* spectrum);

  TimelineState state;

 private:
  ShowTextures tex;
  ScreenQuad& screenQuad;
  render_to_texture& renderTarget;
  WarpGrid& warpGrid;
  ZoomBlur& zoomBlur;
};
