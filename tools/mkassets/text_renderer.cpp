#include "text_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

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

void TextRenderer::setStyle(const TextStyle& style) {
  FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(style.pixelSize));
  FT_Matrix widen{static_cast<FT_Fixed>(std::lround(style.stretchX * 65536.0f)), 0, 0, 0x10000};
  FT_Set_Transform(face_, &widen, nullptr);
}

int TextRenderer::measure(const std::string& text, const TextStyle& style) {
  if (face_ == nullptr) return 0;
  setStyle(style);
  long advance = 0;
  for (unsigned char c : text) {
    if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0) advance += face_->glyph->advance.x;
  }
  return static_cast<int>(advance >> 6);
}

void TextRenderer::draw(Canvas& canvas, const std::string& text, int centreX, int baselineY,
                        const TextStyle& style) {
  if (face_ == nullptr) return;
  int w = canvas.width(), h = canvas.height();
  std::vector<float> coverage(static_cast<std::size_t>(w) * h, 0.0f);
  int penX = centreX - measure(text, style) / 2;
  int left = w, right = -1, top = h, bottom = -1;  // what the glyphs cover
  setStyle(style);
  for (unsigned char c : text) {
    if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot g = face_->glyph;
    const FT_Bitmap& bitmap = g->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        int x = penX + g->bitmap_left + static_cast<int>(col);
        int y = baselineY - g->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        float value = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + col] / 255.0f;
        float& cell = coverage[static_cast<std::size_t>(y) * w + x];
        cell = std::max(cell, value);
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    penX += static_cast<int>(g->advance.x >> 6);
  }

  if (right < 0) return;
  if (style.outline.a > 0.0f && style.outlineRadius > 0) {
    // A soft halo: the strongest coverage nearby, fading with distance.
    int r = style.outlineRadius;
    for (int y = std::max(0, top - r); y <= std::min(h - 1, bottom + r); ++y) {
      for (int x = std::max(0, left - r); x <= std::min(w - 1, right + r); ++x) {
        float halo = 0.0f;
        for (int dy = -r; dy <= r; ++dy) {
          for (int dx = -r; dx <= r; ++dx) {
            int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
            float falloff =
                1.0f - std::sqrt(static_cast<float>(dx * dx + dy * dy)) / static_cast<float>(r + 1);
            if (falloff <= 0.0f) continue;
            halo = std::max(halo, coverage[static_cast<std::size_t>(sy) * w + sx] * falloff);
          }
        }
        if (halo > 0.0f) canvas.blend(x, y, style.outline, halo);
      }
    }
  }
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      float value = coverage[static_cast<std::size_t>(y) * w + x];
      if (value > 0.0f) canvas.blend(x, y, style.colour, value);
    }
  }
}
