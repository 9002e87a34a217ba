// The texture matrix both full-screen drawers use: T x S x R x T, the same
// shift before and after scaling and turning.
#pragma once

#include "math/d3dx_math.h"

D3DXMATRIX textureTransform(float angle, float scaleU, float scaleV, float offsetU, float offsetV);
