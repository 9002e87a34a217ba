// Text drawn with FreeType into a canvas, centred on a line.
#pragma once

#include <string>

#include "canvas.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

class TextRenderer {
 public:
  explicit TextRenderer(const std::string& fontPath);
  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  bool ok() const { return face_ != nullptr; }
  // Draws text centred on x with its baseline at y, pixelSize high.
  void draw(Canvas& canvas, const std::string& text, int centreX, int baselineY, int pixelSize,
            Rgba colour);
  int measure(const std::string& text, int pixelSize);

 private:
  FT_LibraryRec_* library_ = nullptr;
  FT_FaceRec_* face_ = nullptr;
};
