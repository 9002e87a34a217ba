// Lines of text drawn with FreeType into a canvas, with anti-aliased edges
// and an optional soft outline that keeps them readable on any background.
#pragma once

#include <string>

#include "canvas.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

struct TextStyle {
  int pixelSize = 32;
  Rgba colour{1, 1, 1, 1};
  Rgba outline{0, 0, 0, 0};  // alpha 0: no outline
  int outlineRadius = 0;
  // Glyphs are widened by this factor, for pictures that the show stretches
  // unevenly over the 4:3 screen.
  float stretchX = 1.0f;
};

class TextRenderer {
 public:
  explicit TextRenderer(const std::string& fontPath);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  bool ok() const { return face_ != nullptr; }
  // Width in pixels of the text as draw would lay it out.
  int measure(const std::string& text, const TextStyle& style);
  // Draws text centred on centreX with its baseline at baselineY.
  void draw(Canvas& canvas, const std::string& text, int centreX, int baselineY,
            const TextStyle& style);

 private:
  void setStyle(const TextStyle& style);

  FT_LibraryRec_* library_ = nullptr;
  FT_FaceRec_* face_ = nullptr;
};
