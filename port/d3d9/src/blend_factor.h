// What each blend factor multiplies by, said once for the three widths
// that blend (the reference pixel, four and eight pixels at a time).
#pragma once

#include <d3d9.h>

namespace d3d9impl {

struct BlendFactor {
  // Which value of the pixel pair: the source or destination colour or
  // alpha, or 255 itself.
  enum Source { kOne, kSource, kSourceAlpha, kDest, kDestAlpha };
  Source source;
  bool complement;  // 255 less it
};

// ONE, and the factors this device does not have, multiply by 255.
constexpr BlendFactor blendFactor(DWORD mode) {
  switch (mode) {
    case D3DBLEND_ZERO:
      return {BlendFactor::kOne, true};
    case D3DBLEND_SRCCOLOR:
      return {BlendFactor::kSource, false};
    case D3DBLEND_INVSRCCOLOR:
      return {BlendFactor::kSource, true};
    case D3DBLEND_SRCALPHA:
      return {BlendFactor::kSourceAlpha, false};
    case D3DBLEND_INVSRCALPHA:
      return {BlendFactor::kSourceAlpha, true};
    case D3DBLEND_DESTALPHA:
      return {BlendFactor::kDestAlpha, false};
    case D3DBLEND_INVDESTALPHA:
      return {BlendFactor::kDestAlpha, true};
    case D3DBLEND_DESTCOLOR:
      return {BlendFactor::kDest, false};
    case D3DBLEND_INVDESTCOLOR:
      return {BlendFactor::kDest, true};
    default:
      return {BlendFactor::kOne, false};
  }
}

// Which of the values the caller holds (one channel, or vectors of them)
// the factor takes, before any complement. By reference: the vector widths
// call it from code built for their own instruction sets.
template <class V>
inline const V& factorSource(BlendFactor f, const V& one, const V& s, const V& sa, const V& d,
                             const V& da) {
  switch (f.source) {
    case BlendFactor::kSource:
      return s;
    case BlendFactor::kSourceAlpha:
      return sa;
    case BlendFactor::kDest:
      return d;
    case BlendFactor::kDestAlpha:
      return da;
    case BlendFactor::kOne:
      break;
  }
  return one;
}

}  // namespace d3d9impl
