#include "text_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

TextRenderer::TextRenderer(const std::string& fontPath) {
  if (FT_Init_FreeType(&library_) != 0) {
    library_ = nullptr;
    return;
  }
  if (FT_New_Face(library_, fontPath.c_str(), 0, &face_) != 0) {
    std::fprintf(stderr, "mkassets: cannot open the font %s\n", fontPath.c_str());
    face_ = nullptr;
  }
}

TextRenderer::~TextRenderer() {
  if (face_ != nullptr) FT_Done_Face(face_);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

int TextRenderer::measure(const std::string& text, int pixelSize) {
  if (face_ == nullptr) return 0;
  FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize));
  long advance = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0) advance += face_->glyph->advance.x;
  }
  return static_cast<int>(advance >> 6);
}

void TextRenderer::draw(Canvas& canvas, const std::string& text, int centreX, int baselineY,
                        int pixelSize, Rgba colour) {
  if (face_ == nullptr) return;
  int penX = centreX - measure(text, pixelSize) / 2;
  FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize));
  for (unsigned char c : text) {
    if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face_->glyph;
    const FT_Bitmap& bitmap = g->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        float coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + col] / 255.0f;
        if (coverage > 0.0f) {
          canvas.blend(penX + g->bitmap_left + static_cast<int>(col),
                       baselineY - g->bitmap_top + static_cast<int>(row), colour, coverage);
        }
      }
    }
    penX += static_cast<int>(g->advance.x >> 6);
  }
}
