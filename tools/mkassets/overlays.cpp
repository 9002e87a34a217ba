#include "overlays.h"

#include <algorithm>
#include <cmath>

#include "patterns.h"
#include "text_renderer.h"

Canvas frameOverlay(int width, int height, int border) {
  const Rgba grey{128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 1};
  const Rgba edge{0.30f, 0.24f, 0.08f, 1};  // darkens: a thin brown rim
  const Rgba gold{0.92f, 0.78f, 0.30f, 1};  // brightens red and green, dims blue
  Canvas c(width, height, grey);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int d = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      if (d >= border) continue;
      float t = static_cast<float>(d) / static_cast<float>(border);
      Rgba p = t < 0.12f ? edge : mix(gold, grey, smoothstep(0.2f, 1.0f, t));
      // Corners a little darker, like an old lens.
      float cx = std::fabs(static_cast<float>(x) / width - 0.5f) * 2;
      float cy = std::fabs(static_cast<float>(y) / height - 0.5f) * 2;
      float corner = (1.0f - t) * smoothstep(0.8f, 1.0f, std::min(cx, cy));
      c.at(x, y) = mix(p, edge, 0.5f * corner);
    }
  }
  return c;
}

Canvas topAndBottomBars(int width, int height, TextRenderer& bold) {
  Canvas c(width, height);
  c.paint([](float u, float v) {
    float d = std::min(v, 1.0f - v);  // distance from the nearer edge
    if (d > 0.16f) return Rgba{0, 0, 0, 0};
    float stripes = 0.5f + 0.5f * std::sin(kTwoPi * (24 * u + 10 * v));
    Rgba bar = mix(Rgba{0.10f, 0.04f, 0.22f, 1}, Rgba{0.22f, 0.08f, 0.38f, 1}, stripes);
    bar.a = 0.85f * (1.0f - smoothstep(0.12f, 0.16f, d));
    // A thin gold line along the inner edge of each bar.
    if (std::fabs(d - 0.135f) < 0.004f) bar = Rgba{1.0f, 0.8f, 0.3f, 1};
    return bar;
  });
  TextStyle title;
  title.pixelSize = height / 11;
  title.colour = Rgba{1.0f, 0.92f, 0.6f, 1};
  title.outline = Rgba{0.05f, 0.0f, 0.1f, 0.9f};
  title.outlineRadius = 2;
  bold.draw(c, "vorkast05", width / 2, height / 11 + 2, title);
  for (int i = 0; i < 9; ++i) {  // a row of dots in the bottom bar
    int cx = width / 2 + (i - 4) * width / 14, cy = height - height / 16;
    for (int y = cy - 6; y <= cy + 6; ++y) {
      for (int x = cx - 6; x <= cx + 6; ++x) {
        float r = std::hypot(static_cast<float>(x - cx), static_cast<float>(y - cy));
        c.blend(x, y, Rgba{1.0f, 0.8f, 0.3f, 1}, clamp01(5.5f - r));
      }
    }
  }
  return c;
}

Canvas cornerOrnaments(int size) {
  Canvas c(size, size);
  c.paint([](float u, float v) {
    float du = std::min(u, 1.0f - u), dv = std::min(v, 1.0f - v);
    float r = std::sqrt(du * du + dv * dv);
    if (r > 0.3f) return Rgba{0, 0, 0, 0};
    float rings = 0.5f + 0.5f * std::cos(r * 90.0f);
    float fade = 1.0f - smoothstep(0.18f, 0.3f, r);
    float angle = std::atan2(dv, du);  // 0 to pi/2 inside each corner
    float rays = 0.5f + 0.5f * std::cos(angle * 16.0f);
    float level = 0.55f + 0.45f * rays;
    return Rgba{level, level, level, clamp01(fade * (0.25f + 0.6f * rings))};
  });
  return c;
}

Canvas shiftedEdgeOverlay(int width, int height, OverlayStyle style) {
  Canvas c(width, height);
  c.paint([style](float u, float v) {
    float s = fract(v + 0.2f);  // where this row shows on the screen
    float dy = std::min(s, 1.0f - s), dx = std::min(u, 1.0f - u);
    float d = std::min(dx * 0.75f, dy);  // the screen is 4:3
    const float band = 0.07f;
    if (d > band) return Rgba{0, 0, 0, 0};
    float edge = 1.0f - smoothstep(band * 0.6f, band, d);
    switch (style) {
      case OverlayStyle::CoolBars: {
        float bars = 0.5f + 0.5f * std::sin(kTwoPi * 40 * (u + s));
        Rgba colour = mix(Rgba{0.1f, 0.4f, 0.9f, 1}, Rgba{0.5f, 0.9f, 1.0f, 1}, bars);
        colour.a = edge * (0.45f + 0.4f * bars);
        return colour;
      }
      case OverlayStyle::WarmChecks: {
        bool check = (static_cast<int>(u * 32) + static_cast<int>(s * 24)) % 2 == 0;
        Rgba colour = check ? Rgba{1.0f, 0.35f, 0.45f, 1} : Rgba{1.0f, 0.7f, 0.2f, 1};
        colour.a = edge * (check ? 0.8f : 0.5f);
        return colour;
      }
      case OverlayStyle::WhiteDots: {
        float gx = fract(u * 24) - 0.5f, gy = fract(s * 18) - 0.5f;
        bool dot = gx * gx + gy * gy < 0.09f;
        return Rgba{1, 1, 1, dot && edge > 0.5f ? 1.0f : 0.0f};
      }
    }
    return Rgba{0, 0, 0, 0};
  });
  return c;
}
