// The captions of the text scene and the closing credits.
#pragma once

#include <string>

#include "canvas.h"

class TextRenderer;

struct CaptionLines {
  std::string title;
  std::string subtitle;
};

// White text with a dark halo on a clear picture of the screen's shape. The
// text scene draws captions shifted by a fifth of their height (row v shows
// at screen row v + 0.2), so the text sits at 0.6 of the picture's height to
// land in the lower part of the screen.
Canvas caption(TextRenderer& bold, TextRenderer& plain, const CaptionLines& lines, int width,
               int height);

// The closing credits: dark text with a light halo, readable over the white
// backdrop and its coloured layer. The picture may be of any size; the text
// is widened to look right once stretched over the 4:3 screen.
Canvas credits(TextRenderer& bold, TextRenderer& plain, int width, int height);
