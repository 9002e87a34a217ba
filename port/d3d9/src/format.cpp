#include "format.h"

namespace d3d9impl {

bool formatInfo(D3DFORMAT format, FormatInfo* info) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      *info = {4, true, true, false, true};
      return true;
    case D3DFMT_X8R8G8B8:
      *info = {4, true, true, false, false};
      return true;
    case D3DFMT_L8:
    case D3DFMT_R3G3B2:
      *info = {1, true, false, false, false};
      return true;
    case D3DFMT_A8L8:
      *info = {2, true, false, false, true};
      return true;
    case D3DFMT_D24X8:
      *info = {4, false, false, true, false};
      return true;
    default:
      return false;
  }
}

}  // namespace d3d9impl
