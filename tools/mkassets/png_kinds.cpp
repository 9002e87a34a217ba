#include "png_kinds.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

PngImage header(const Canvas& c, int colorType, int bitDepth) {
  PngImage image;
  image.width = c.width();
  image.height = c.height();
  image.colorType = colorType;
  image.bitDepth = bitDepth;
  return image;
}

Rgba rampAt(const std::vector<Rgba>& ramp, float t) {
  if (ramp.size() == 1) return ramp[0];
  float scaled = clamp01(t) * static_cast<float>(ramp.size() - 1);
  std::size_t k = std::min(static_cast<std::size_t>(scaled), ramp.size() - 2);
  return mix(ramp[k], ramp[k + 1], scaled - static_cast<float>(k));
}

// Where the key would collide with an opaque pixel, move that pixel one step.
std::uint8_t offKey(std::uint8_t value, std::uint8_t key) {
  return value != key ? value : static_cast<std::uint8_t>(key < 255 ? key + 1 : key - 1);
}

}  // namespace

PngImage asRgb(const Canvas& c) {
  PngImage image = header(c, PNG_COLOR_TYPE_RGB, 8);
  image.data = c.bytes(3);
  return image;
}

PngImage asRgba(const Canvas& c) {
  PngImage image = header(c, PNG_COLOR_TYPE_RGB_ALPHA, 8);
  image.data = c.bytes(4);
  return image;
}

PngImage asGrey(const Canvas& c) {
  PngImage image = header(c, PNG_COLOR_TYPE_GRAY, 8);
  image.data = c.bytes(1);
  return image;
}

PngImage asGreyAlpha(const Canvas& c) {
  PngImage image = header(c, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
  image.data = c.bytes(2);
  return image;
}

PngImage asRgbWithKey(const Canvas& c, Rgba key) {
  PngImage image = header(c, PNG_COLOR_TYPE_RGB, 8);
  const std::uint8_t k[3] = {toByte(key.r), toByte(key.g), toByte(key.b)};
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      if (p.a < 0.5f) {
        image.data.insert(image.data.end(), k, k + 3);
        continue;
      }
      std::uint8_t v[3] = {toByte(p.r), toByte(p.g), toByte(p.b)};
      if (v[0] == k[0] && v[1] == k[1] && v[2] == k[2]) v[2] = offKey(v[2], k[2]);
      image.data.insert(image.data.end(), v, v + 3);
    }
  }
  image.hasTransparentColour = true;
  for (int i = 0; i < 3; ++i) image.transparent[i] = k[i];
  return image;
}

PngImage asGreyWithKey(const Canvas& c, float keyLevel) {
  PngImage image = header(c, PNG_COLOR_TYPE_GRAY, 8);
  std::uint8_t k = toByte(keyLevel);
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      image.data.push_back(p.a < 0.5f ? k : offKey(toByte(p.r), k));
    }
  }
  image.hasTransparentColour = true;
  image.transparent[0] = k;
  return image;
}

PngImage asPalette(const Canvas& c, const PaletteSpec& spec) {
  bool withAlpha = spec.alphaLevels > 1;
  int entries = withAlpha ? 1 + spec.colours * (spec.alphaLevels - 1) : spec.colours;
  if (spec.ramp.empty() || spec.colours < 1 || entries > (1 << spec.bitDepth)) {
    std::fprintf(stderr, "mkassets: a palette of %d entries does not fit %d bits\n", entries,
                 spec.bitDepth);
    std::abort();
  }
  PngImage image = header(c, PNG_COLOR_TYPE_PALETTE, spec.bitDepth);
  std::vector<Rgba> colours;
  for (int i = 0; i < spec.colours; ++i) {
    float t = spec.colours > 1 ? static_cast<float>(i) / static_cast<float>(spec.colours - 1) : 0;
    colours.push_back(rampAt(spec.ramp, t));
  }
  auto pushColour = [&image](Rgba e) {
    image.palette.insert(image.palette.end(), {toByte(e.r), toByte(e.g), toByte(e.b)});
  };
  if (withAlpha) {
    pushColour(colours[0]);
    image.paletteAlpha.push_back(0);
    for (int level = 1; level < spec.alphaLevels; ++level) {
      auto alpha = toByte(static_cast<float>(level) / static_cast<float>(spec.alphaLevels - 1));
      for (const Rgba& e : colours) {
        pushColour(e);
        image.paletteAlpha.push_back(alpha);
      }
    }
  } else {
    for (const Rgba& e : colours) pushColour(e);
  }

  std::size_t rowBytes = (static_cast<std::size_t>(c.width()) * spec.bitDepth + 7) / 8;
  image.data.assign(rowBytes * static_cast<std::size_t>(c.height()), 0);
  for (int y = 0; y < c.height(); ++y) {
    std::uint8_t* row = image.data.data() + rowBytes * static_cast<std::size_t>(y);
    for (int x = 0; x < c.width(); ++x) {
      const Rgba& p = c.at(x, y);
      int level = withAlpha ? static_cast<int>(std::lround(
                                  clamp01(p.a) * static_cast<float>(spec.alphaLevels - 1)))
                            : 1;
      int index = 0;
      if (level > 0) {
        float best = std::numeric_limits<float>::max();
        int nearest = 0;
        for (int i = 0; i < spec.colours; ++i) {
          float dr = colours[i].r - p.r, dg = colours[i].g - p.g, db = colours[i].b - p.b;
          float d = dr * dr + dg * dg + db * db;
          if (d < best) {
            best = d;
            nearest = i;
          }
        }
        index = withAlpha ? 1 + (level - 1) * spec.colours + nearest : nearest;
      }
      int perByte = 8 / spec.bitDepth;
      int shift = (perByte - 1 - x % perByte) * spec.bitDepth;
      row[x / perByte] |= static_cast<std::uint8_t>(index << shift);
    }
  }
  return image;
}
