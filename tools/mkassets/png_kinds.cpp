#include "png_kinds.h"

#include <png.h>

#include <cmath>
#include <limits>

namespace {

PngImage frame(const Canvas& c, int colorType, int bitDepth) {
  PngImage image;
  image.width = c.width();
  image.height = c.height();
  image.colorType = colorType;
  image.bitDepth = bitDepth;
  return image;
}

}  // namespace

PngImage asRgb(const Canvas& c) {
  PngImage image = frame(c, PNG_COLOR_TYPE_RGB, 8);
  image.data = c.bytes(3);
  return image;
}

PngImage asRgba(const Canvas& c) {
  PngImage image = frame(c, PNG_COLOR_TYPE_RGB_ALPHA, 8);
  image.data = c.bytes(4);
  return image;
}

PngImage asRgba16(const Canvas& c) {
  PngImage image = frame(c, PNG_COLOR_TYPE_RGB_ALPHA, 16);
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      for (float v : {p.r, p.g, p.b, p.a}) {
        auto s = static_cast<std::uint16_t>(std::lround(clamp01(v) * 65535.0f));
        image.data.push_back(static_cast<std::uint8_t>(s >> 8));
        image.data.push_back(static_cast<std::uint8_t>(s & 0xFF));
      }
    }
  }
  return image;
}

PngImage asGrey(const Canvas& c) {
  PngImage image = frame(c, PNG_COLOR_TYPE_GRAY, 8);
  image.data = c.bytes(1);
  return image;
}

PngImage asGreyAlpha(const Canvas& c) {
  PngImage image = frame(c, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
  image.data = c.bytes(2);
  return image;
}

PngImage asRgbWithKey(const Canvas& c, Rgba key) {
  Canvas keyed = c;
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      Rgba& p = keyed.at(x, y);
      if (p.a < 0.5f) p = key;
    }
  }
  PngImage image = asRgb(keyed);
  image.hasTransparentColour = true;
  image.transparent[0] = static_cast<std::uint16_t>(std::lround(key.r * 255.0f));
  image.transparent[1] = static_cast<std::uint16_t>(std::lround(key.g * 255.0f));
  image.transparent[2] = static_cast<std::uint16_t>(std::lround(key.b * 255.0f));
  return image;
}

PngImage asPalette(const Canvas& c, const std::vector<Rgba>& ramp, int colours, bool transparent,
                   int bitDepth) {
  PngImage image = frame(c, PNG_COLOR_TYPE_PALETTE, bitDepth);
  std::vector<Rgba> entries;
  int opaque = transparent ? colours - 1 : colours;
  for (int i = 0; i < opaque; ++i) {
    float t = opaque > 1 ? static_cast<float>(i) / static_cast<float>(opaque - 1) : 0.0f;
    float scaled = t * static_cast<float>(ramp.size() - 1);
    std::size_t k = std::min(static_cast<std::size_t>(scaled), ramp.size() - 2);
    entries.push_back(mix(ramp[k], ramp[k + 1], scaled - static_cast<float>(k)));
  }
  for (const Rgba& e : entries) {
    image.palette.push_back(static_cast<std::uint8_t>(std::lround(clamp01(e.r) * 255.0f)));
    image.palette.push_back(static_cast<std::uint8_t>(std::lround(clamp01(e.g) * 255.0f)));
    image.palette.push_back(static_cast<std::uint8_t>(std::lround(clamp01(e.b) * 255.0f)));
  }
  if (transparent) {
    // The transparent entry comes first so that tRNS stays one byte long.
    image.palette.insert(image.palette.begin(), {0, 0, 0});
    image.paletteAlpha = {0};
  }
  int first = transparent ? 1 : 0;
  std::size_t rowBytes = (static_cast<std::size_t>(c.width()) * bitDepth + 7) / 8;
  image.data.assign(rowBytes * static_cast<std::size_t>(c.height()), 0);
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      int index = 0;
      if (!(transparent && p.a < 0.5f)) {
        float best = std::numeric_limits<float>::max();
        for (std::size_t i = 0; i < entries.size(); ++i) {
          float dr = entries[i].r - p.r, dg = entries[i].g - p.g, db = entries[i].b - p.b;
          float d = dr * dr + dg * dg + db * db;
          if (d < best) {
            best = d;
            index = first + static_cast<int>(i);
          }
        }
      }
      std::uint8_t* row = image.data.data() + rowBytes * static_cast<std::size_t>(y);
      if (bitDepth == 8) {
        row[x] = static_cast<std::uint8_t>(index);
      } else {
        int perByte = 8 / bitDepth;
        int shift = (perByte - 1 - x % perByte) * bitDepth;
        row[x / perByte] |= static_cast<std::uint8_t>(index << shift);
      }
    }
  }
  return image;
}
