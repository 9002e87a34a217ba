#include "pipeline.h"

namespace d3d9impl {

bool vertexLayout(DWORD fvf, VertexLayout* layout) {
  const DWORD known = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEXCOUNT_MASK;
  if ((fvf & ~known) != 0 || (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ) return false;
  const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCount > 1) return false;
  VertexLayout made;
  made.size = 12;
  if ((fvf & D3DFVF_DIFFUSE) != 0) {
    made.diffuse = static_cast<int>(made.size);
    made.size += 4;
  }
  if (texCount == 1) {
    made.texcoord = static_cast<int>(made.size);
    made.size += 8;
  }
  *layout = made;
  return true;
}

void renderDraw(const DrawInput&) {}

}  // namespace d3d9impl
