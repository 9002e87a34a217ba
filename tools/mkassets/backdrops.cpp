#include "backdrops.h"

#include <cmath>

#include "patterns.h"

std::vector<Rgba> nightRamp() {
  return {{0.02f, 0.01f, 0.08f, 1},
          {0.10f, 0.05f, 0.35f, 1},
          {0.35f, 0.10f, 0.55f, 1},
          {0.10f, 0.45f, 0.70f, 1},
          {0.55f, 0.85f, 0.95f, 1}};
}

std::vector<Rgba> ribbonRamp() {
  return {{0.55f, 0.05f, 0.35f, 1},
          {1.0f, 0.35f, 0.55f, 1},
          {1.0f, 0.75f, 0.35f, 1},
          {1.0f, 1.0f, 0.85f, 1}};
}

namespace {

Rgba ramp(const std::vector<Rgba>& colours, float t) {
  float scaled = clamp01(t) * static_cast<float>(colours.size() - 1);
  auto k = static_cast<std::size_t>(scaled);
  if (k >= colours.size() - 1) return colours.back();
  return mix(colours[k], colours[k + 1], scaled - static_cast<float>(k));
}

}  // namespace

Canvas openingBackdrop(int size) {
  std::vector<Rgba> colours = nightRamp();
  Canvas c(size, size);
  c.paint([&](float u, float v) {
    // Integer frequencies only, so the plasma closes on itself.
    float plasma = std::sin(kTwoPi * (2 * u + v)) + std::sin(kTwoPi * (3 * v - u)) +
                   std::sin(kTwoPi * (u + 2 * v) + 1.3f) * 0.5f;
    float du = wrapDelta(u, 0.5f), dv = wrapDelta(v, 0.5f);
    float rings = std::cos(std::sqrt(du * du + dv * dv) * 40.0f + plasma);
    float t = 0.35f + 0.18f * plasma + 0.2f * rings + 0.25f * (tileFbm(u, v, 4, 3, 11) - 0.5f);
    return ramp(colours, t);
  });
  return c;
}

Canvas fishScales(int size) {
  Canvas c(size, size);
  const int across = 8, down = 12;  // even rows, so the half-step offset repeats
  c.paint([&](float u, float v) {
    float row = v * down;
    int r = static_cast<int>(std::floor(row));
    // Rows lower down overlap the ones above, as scales do: the lowest row
    // whose scale covers this point wins.
    float shade = 1.0f;
    for (int rr = r + 1; rr >= r - 1; --rr) {
      float offset = (((rr % 2) + 2) % 2 == 0) ? 0.0f : 0.5f;
      float x = u * across - offset;
      float dx = x - (std::floor(x) + 0.5f);
      float dy = (row - static_cast<float>(rr)) * 0.8f;
      float d = std::sqrt(dx * dx + dy * dy) / 0.62f;
      if (d < 1.0f) {
        shade = d;
        break;
      }
    }
    float sparkle = tileNoise(u, v, 32, 7);
    float rim = smoothstep(0.78f, 0.98f, shade);
    // Kept dark: the pulse scene adds a zoom-blurred copy on top.
    Rgba body = mix(Rgba{0.55f, 0.40f, 0.12f, 1}, Rgba{0.38f, 0.15f, 0.03f, 1}, shade);
    body = mix(body, Rgba{0.10f, 0.03f, 0.01f, 1}, rim);
    float glint = 0.18f * smoothstep(0.6f, 1.0f, sparkle) * (1.0f - shade);
    return Rgba{clamp01(body.r + glint), clamp01(body.g + glint), clamp01(body.b + glint), 1};
  });
  return c;
}

Canvas ribbons(int width, int height) {
  Canvas c(width, height);
  c.paint([](float u, float v) {
    Rgba out{0, 0, 0, 0};
    struct Band {
      float centre, swing, freq, phase, half;
    };
    const Band bands[2] = {{0.32f, 0.12f, 1, 0.0f, 0.09f}, {0.70f, 0.10f, 2, 1.7f, 0.06f}};
    for (const Band& b : bands) {
      float centre = b.centre + b.swing * std::sin(kTwoPi * b.freq * u + b.phase);
      float d = std::fabs(v - centre) / b.half;  // 0 in the middle, 1 at the edge
      if (d >= 1.0f) continue;
      float twist = 0.5f + 0.5f * std::sin(kTwoPi * 6 * u + b.phase);
      float t = clamp01(0.15f + 0.6f * twist + 0.25f * (1.0f - d));
      Rgba colour = ramp(ribbonRamp(), t);
      float alpha = 0.9f * (1.0f - smoothstep(0.6f, 1.0f, d));
      float a = alpha + out.a * (1.0f - alpha);
      out = {(colour.r * alpha + out.r * out.a * (1 - alpha)) / a,
             (colour.g * alpha + out.g * out.a * (1 - alpha)) / a,
             (colour.b * alpha + out.b * out.a * (1 - alpha)) / a, a};
    }
    return out;
  });
  return c;
}

Canvas marble(int width, int height) {
  Canvas c(width, height);
  c.paint([](float u, float v) {
    float warp = tileFbm(u, v, 3, 4, 23);
    float veins = std::sin(kTwoPi * (2 * u + v) + 9.0f * warp);
    float grain = tileFbm(u + 0.3f, v, 8, 3, 41);
    // Dark, since the text scene adds a strongly zoom-blurred copy on top
    // and the white captions must stand out.
    Rgba stone = mix(Rgba{0.02f, 0.08f, 0.10f, 1}, Rgba{0.18f, 0.11f, 0.05f, 1}, grain);
    stone = mix(stone, Rgba{0.38f, 0.32f, 0.22f, 1}, smoothstep(0.55f, 0.95f, veins));
    // The darkest cracks are cut out: the black behind shows through.
    if (std::fabs(veins + 0.93f) < 0.025f) return Rgba{0, 0, 0, 0};
    return stone;
  });
  return c;
}

Canvas blossoms(int size) {
  Canvas c(size, size);
  struct Flower {
    float u, v, radius;
    Rgba colour;
  };
  const Flower flowers[] = {{0.25f, 0.25f, 0.20f, {0.95f, 0.35f, 0.45f, 1}},
                            {0.75f, 0.30f, 0.16f, {0.30f, 0.55f, 0.95f, 1}},
                            {0.30f, 0.78f, 0.15f, {0.40f, 0.80f, 0.40f, 1}},
                            {0.78f, 0.80f, 0.19f, {0.95f, 0.70f, 0.20f, 1}}};
  c.paint([&](float u, float v) {
    Rgba out{0, 0, 0, 0};
    for (const Flower& f : flowers) {
      float dx = wrapDelta(u, f.u), dy = wrapDelta(v, f.v);
      float r = std::sqrt(dx * dx + dy * dy) / f.radius;
      if (r >= 1.0f) continue;
      float angle = std::atan2(v - f.v, u - f.u);
      float petals = 0.75f + 0.25f * std::cos(6.0f * angle);
      float ring = 0.5f + 0.5f * std::cos(r * 18.0f);
      float alpha = (r < petals ? 0.85f : 0.0f) * (0.55f + 0.45f * ring);
      alpha *= 1.0f - smoothstep(petals - 0.08f, petals, r);
      if (r < 0.18f) alpha = 0.95f;
      Rgba colour =
          r < 0.18f ? Rgba{1.0f, 0.95f, 0.6f, 1} : mix(f.colour, Rgba{1, 1, 1, 1}, 0.3f * ring);
      float a = alpha + out.a * (1.0f - alpha);
      if (a <= 0.0f) continue;
      out = {(colour.r * alpha + out.r * out.a * (1 - alpha)) / a,
             (colour.g * alpha + out.g * out.a * (1 - alpha)) / a,
             (colour.b * alpha + out.b * out.a * (1 - alpha)) / a, a};
    }
    return out;
  });
  return c;
}
