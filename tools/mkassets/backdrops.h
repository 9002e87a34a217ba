// The pictures the scenes turn, warp and blur: all repeat seamlessly.
#pragma once

#include <vector>

#include "canvas.h"

// The colours of the opening backdrop, also its palette.
std::vector<Rgba> nightRamp();
// The colours of the ribbons, also their palette.
std::vector<Rgba> ribbonRamp();

Canvas openingBackdrop(int size);       // vorkast/d.png: a night-blue plasma with rings
Canvas fishScales(int size);            // vorkast/gulfisk.png: golden scales
Canvas ribbons(int width, int height);  // vorkast/ribbon.png: two ribbons, clear between
Canvas marble(int width, int height);   // vorkast/lort.png: veined stone, black cracks clear
Canvas blossoms(int size);              // vorkast/text/hore.png: rings and petals, clear between
