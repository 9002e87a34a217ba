#include "captions.h"

#include "text_renderer.h"

namespace {

// How much wider than tall a picture's pixel ends up on the 4:3 screen,
// inverted: glyphs are widened by this factor to look right.
float widening(int width, int height) {
  return (static_cast<float>(width) / 640.0f) / (static_cast<float>(height) / 480.0f);
}

}  // namespace

Canvas caption(TextRenderer& bold, TextRenderer& plain, const CaptionLines& lines, int width,
               int height) {
  Canvas c(width, height);
  TextStyle title;
  title.pixelSize = height * 52 / 480;
  title.colour = Rgba{1, 1, 1, 1};
  title.outline = Rgba{0, 0, 0, 0.75f};
  title.outlineRadius = height >= 480 ? 3 : 2;
  title.stretchX = widening(width, height);
  bold.draw(c, lines.title, width / 2, height * 60 / 100, title);
  if (!lines.subtitle.empty()) {
    TextStyle sub = title;
    sub.pixelSize = height * 26 / 480;
    sub.outlineRadius = height >= 480 ? 2 : 1;
    plain.draw(c, lines.subtitle, width / 2, height * 67 / 100, sub);
  }
  return c;
}

Canvas credits(TextRenderer& bold, TextRenderer& plain, int width, int height) {
  Canvas c(width, height);
  struct Line {
    const char* text;
    bool heading;
  };
  const Line lines[] = {{"vorkast05", true},
                        {"code", true},
                        {"the vorkast05 team", false},
                        {"music", true},
                        {"synthesized by mkassets", false},
                        {"pictures", true},
                        {"drawn by mkassets", false},
                        {"thanks for watching", false}};
  float stretch = widening(width, height);
  int y = height * 17 / 100;
  for (const Line& line : lines) {
    bool first = &line == &lines[0];
    TextStyle style;
    style.pixelSize = height * (first ? 60 : (line.heading ? 28 : 32)) / 480;
    style.colour =
        line.heading && !first ? Rgba{0.30f, 0.30f, 0.30f, 1} : Rgba{0.06f, 0.06f, 0.06f, 1};
    style.outline = Rgba{1, 1, 1, 0.85f};
    style.outlineRadius = 3;
    style.stretchX = stretch;
    (line.heading ? bold : plain).draw(c, line.text, width / 2, y, style);
    y += height * (first ? 80 : (line.heading ? 36 : 50)) / 480;
  }
  return c;
}
