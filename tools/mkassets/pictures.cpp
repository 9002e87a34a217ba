#include "pictures.h"

#include <cmath>

#include "canvas.h"
#include "png_kinds.h"
#include "text_renderer.h"

namespace {

constexpr float kPi = 3.14159265f;

using Shader = Rgba (*)(float u, float v);

Canvas paint(int w, int h, Shader shader) {
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      c.at(x, y) = shader((static_cast<float>(x) + 0.5f) / static_cast<float>(w),
                          (static_cast<float>(y) + 0.5f) / static_cast<float>(h));
    }
  }
  return c;
}

// Seamless in both directions, since the show wraps its pictures.
Rgba plasma(float u, float v) {
  float a = std::sin(2 * kPi * u * 2) + std::sin(2 * kPi * (v * 3 + u)) +
            std::sin(2 * kPi * (u + v) * 1) + std::cos(2 * kPi * (u * 1 - v * 2));
  float t = a / 8.0f + 0.5f;
  return {clamp01(0.5f + 0.5f * std::sin(2 * kPi * t + 0.0f)),
          clamp01(0.3f + 0.3f * std::sin(2 * kPi * t + 2.0f)),
          clamp01(0.55f + 0.45f * std::sin(2 * kPi * t + 4.0f)), 1.0f};
}

Rgba goldRings(float u, float v) {
  float du = std::sin(kPi * u), dv = std::sin(kPi * v);
  float r = std::sqrt((1 - du) * (1 - du) + (1 - dv) * (1 - dv));
  float ring = 0.5f + 0.5f * std::cos(r * 18.0f + std::sin(2 * kPi * u) * 2.0f);
  return mix(Rgba{0.25f, 0.08f, 0.02f, 1}, Rgba{1.0f, 0.78f, 0.25f, 1}, ring);
}

Rgba blueWeave(float u, float v) {
  float a = 0.5f + 0.25f * std::sin(2 * kPi * u * 3) + 0.25f * std::sin(2 * kPi * v * 2);
  float b = 0.5f + 0.5f * std::sin(2 * kPi * (u * 2 + v * 2));
  return {0.15f + 0.35f * b, 0.1f + 0.3f * a, 0.45f + 0.5f * a, 1.0f};
}

Rgba ribbonBand(float u, float v) {
  float centre = 0.5f + 0.3f * std::sin(2 * kPi * u);
  float d = std::fabs(v - centre) / 0.18f;
  float alpha = clamp01(1.0f - d * d);
  float shine = 0.5f + 0.5f * std::sin(2 * kPi * u * 4 + v * 10);
  return {0.9f, 0.3f + 0.5f * shine, 0.6f * (1 - shine), alpha};
}

Rgba confetti(float u, float v) {
  // Soft discs on a transparent ground, in a repeating 4 x 4 pattern.
  float cu = std::fmod(u * 4, 1.0f) - 0.5f,
        cv = std::fmod(v * 4 + 0.25f * std::floor(u * 4), 1.0f) - 0.5f;
  float r = std::sqrt(cu * cu + cv * cv);
  float cell = std::floor(u * 4) + 4 * std::floor(v * 4);
  Rgba colour{0.5f + 0.5f * std::sin(cell), 0.5f + 0.5f * std::sin(cell * 1.7f + 2),
              0.5f + 0.5f * std::sin(cell * 2.3f + 4), 1.0f};
  colour.a = r < 0.33f ? 1.0f : 0.0f;
  return colour;
}

Canvas frameOverlay(int w, int h) {
  // Mid grey leaves the picture as it is under the doubled multiply; the warm
  // border brightens reds and greens and darkens towards the very edge.
  Canvas c(w, h, Rgba{128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1});
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int edge = std::min(std::min(x, w - 1 - x), std::min(y, h - 1 - y));
      if (edge < 28) {
        float t = static_cast<float>(edge) / 28.0f;
        Rgba border = edge < 6 ? Rgba{0.35f, 0.3f, 0.1f, 1} : Rgba{0.85f, 0.75f, 0.25f, 1};
        c.at(x, y) = mix(border, c.at(x, y), edge < 6 ? 0.0f : t * t);
      }
    }
  }
  return c;
}

Canvas edgeBars(int w, int h, Rgba colour, float height) {
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    float fy = (static_cast<float>(y) + 0.5f) / static_cast<float>(h);
    float d = std::min(fy, 1.0f - fy);
    float a = d < height ? 0.85f * (1.0f - d / height) : 0.0f;
    for (int x = 0; x < w; ++x) {
      Rgba p = colour;
      p.a = a * (0.8f + 0.2f * std::sin(static_cast<float>(x) * 0.2f));
      c.at(x, y) = p;
    }
  }
  return c;
}

Canvas cornerFrame(int w, int h) {
  Canvas c(w, h);
  Rgba gold{1.0f, 0.85f, 0.35f, 1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
      bool line = (dx >= 12 && dx < 16 && dy < 90) || (dy >= 12 && dy < 16 && dx < 90) ||
                  (dx >= 12 && dx < 14) || (dy >= 12 && dy < 14);
      if (line) c.at(x, y) = gold;
    }
  }
  return c;
}

Canvas caption(TextRenderer& font, const std::string& line1, const std::string& line2) {
  // Drawn shifted up by a fifth of its height: the text sits in the lower
  // middle of the picture so that it lands in the lower third of the screen.
  Canvas c(512, 256);
  font.draw(c, line1, 256, 150, 40, Rgba{1, 1, 1, 1});
  if (!line2.empty()) font.draw(c, line2, 256, 185, 24, Rgba{1, 1, 1, 0.9f});
  return c;
}

}  // namespace

std::vector<Picture> makePictures(const std::string& boldFont, const std::string& plainFont) {
  TextRenderer bold(boldFont);
  TextRenderer plain(plainFont);
  if (!bold.ok() || !plain.ok()) return {};
  std::vector<Picture> all;
  auto add = [&all](const char* name, PngImage image) {
    all.push_back(Picture{name, std::move(image)});
  };

  add("yellow_frame2.png", asRgb(frameOverlay(512, 512)));
  add("vorkast/d.png", asRgb(paint(256, 256, plasma)));
  add("vorkast/white.png", asGrey(Canvas(64, 64, Rgba{1, 1, 1, 1})));
  add("vorkast/gulfisk.png",
      asPalette(paint(300, 200, goldRings),
                {{0.25f, 0.08f, 0.02f, 1}, {0.7f, 0.4f, 0.1f, 1}, {1.0f, 0.78f, 0.25f, 1}}, 256,
                false, 8));
  add("vorkast/ribbon.png", asRgba(paint(512, 128, ribbonBand)));

  Canvas overup = edgeBars(640, 480, Rgba{0.1f, 0.05f, 0.2f, 1}, 0.12f);
  bold.draw(overup, "vorkast05", 320, 42, 34, Rgba{1, 0.9f, 0.5f, 1});
  add("vorkast/overup.png", asRgba(overup));

  add("vorkast/lort.png", asRgb(paint(200, 150, blueWeave)));
  add("vorkast/text/cuffercup.png",
      asPalette(cornerFrame(640, 480), {{0.6f, 0.45f, 0.1f, 1}, {1.0f, 0.85f, 0.35f, 1}}, 16, true,
                8));

  const char* lines[7][2] = {
      {"vorkast05", "a show in four scenes"},
      {"greetings", "to everyone who still draws by hand"},
      {"greetings", "to the people behind the tools we stand on"},
      {"made on linux", "with a software direct3d of our own"},
      {"no gpu was harmed", "every pixel comes from the cpu"},
      {"thank you", "for watching"},
      {"the end", ""},
  };
  for (int i = 0; i < 6; ++i) {
    std::string name = "vorkast/text/text0" + std::to_string(i + 1) + ".png";
    all.push_back(Picture{name, asGreyAlpha(caption(bold, lines[i][0], lines[i][1]))});
  }
  Canvas last = caption(bold, lines[6][0], lines[6][1]);
  add("vorkast/text/text07.png",
      asPalette(last, {{0.6f, 0.6f, 0.6f, 1}, {1, 1, 1, 1}}, 16, true, 4));

  add("vorkast/text/text_overlay01.png",
      asRgba(edgeBars(256, 256, Rgba{0.2f, 0.6f, 1.0f, 1}, 0.18f)));
  add("vorkast/text/text_overlay02.png",
      asRgba(edgeBars(256, 256, Rgba{1.0f, 0.3f, 0.5f, 1}, 0.25f)));
  add("vorkast/text/text_overlay03.png",
      asRgba16(edgeBars(128, 128, Rgba{0.3f, 1.0f, 0.4f, 1}, 0.2f)));

  Canvas cred(512, 512);
  const char* credits[] = {"vorkast05",
                           "code",
                           "the vorkast05 team",
                           "music",
                           "synthesized by mkassets",
                           "pictures",
                           "drawn by mkassets"};
  int y = 110;
  for (int i = 0; i < 7; ++i) {
    bool heading = i == 0 || i == 1 || i == 3 || i == 5;
    TextRenderer& font = heading ? bold : plain;
    font.draw(cred, credits[i], 256, y, i == 0 ? 52 : 30, Rgba{0.05f, 0.05f, 0.2f, 1});
    y += i == 0 ? 80 : (heading ? 40 : 58);
  }
  add("vorkast/text/cred.png", asRgba(cred));

  add("vorkast/text/hore.png", asRgbWithKey(paint(256, 256, confetti), Rgba{0, 1, 0, 1}));
  return all;
}
