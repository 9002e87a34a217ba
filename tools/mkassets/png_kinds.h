// A canvas turned into each kind of PNG the loader reads.
#pragma once

#include "canvas.h"
#include "png_file.h"

PngImage asRgb(const Canvas& c);
PngImage asRgba(const Canvas& c);
PngImage asRgba16(const Canvas& c);
PngImage asGrey(const Canvas& c);
PngImage asGreyAlpha(const Canvas& c);
// RGB where every fully transparent pixel becomes the tRNS colour key.
PngImage asRgbWithKey(const Canvas& c, Rgba key);
// Palette of `colours` entries made from a ramp between the given colours;
// pixels with alpha below 0.5 take an extra transparent entry when
// `transparent` is set. bitDepth 8 or 4.
PngImage asPalette(const Canvas& c, const std::vector<Rgba>& ramp, int colours, bool transparent,
                   int bitDepth);
