// A canvas turned into each kind of 8-bit (or fewer) PNG the loader reads.
#pragma once

#include <vector>

#include "canvas.h"
#include "png_file.h"

PngImage asRgb(const Canvas& c);
PngImage asRgba(const Canvas& c);
PngImage asGrey(const Canvas& c);
PngImage asGreyAlpha(const Canvas& c);

// RGB or grey whose pixels of alpha below 0.5 take the tRNS key; opaque
// pixels that happen to have the key's value are moved off it by one step.
PngImage asRgbWithKey(const Canvas& c, Rgba key);
PngImage asGreyWithKey(const Canvas& c, float keyLevel);

// A palette of `colours` entries along a ramp of colours, each at
// `alphaLevels` opacities: with one level every entry is opaque and there is
// no tRNS; with more, entry 0 is fully transparent and tRNS carries the rest.
// bitDepth 1, 2, 4 or 8; the entries must fit.
struct PaletteSpec {
  std::vector<Rgba> ramp;
  int colours = 256;
  int alphaLevels = 1;
  int bitDepth = 8;
};
PngImage asPalette(const Canvas& c, const PaletteSpec& spec);
