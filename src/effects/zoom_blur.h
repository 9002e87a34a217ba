// A post-process on the frame drawn so far: the frame reduced into a small
// target, drawn back and forth between two targets, each pass enlarged about
// the centre, turned and mixed with the last, and added back onto the frame.
#pragma once

#include "effects/fade_quad.h"

class Texture;

class ZoomBlur : public FadeQuad {
 public:
  ZoomBlur();

  void copy(Texture* source, Texture* destination);
  // frame must be neither targetA nor targetB (nothing is drawn then). The
  // passes stop early where shrink would leave no rectangle to draw.
  void apply(Texture* frame, float shrink, float passAlpha, int passes, float angle);

  Texture* targetA = nullptr;
  Texture* targetB = nullptr;
  Texture* targetC = nullptr;
  Texture* targetD = nullptr;
};
