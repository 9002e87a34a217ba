#include "effects/texture_transform.h"

D3DXMATRIX textureTransform(float angle, float scaleU, float scaleV, float offsetU, float offsetV) {
  D3DXMATRIX rotation;
  D3DXMATRIX scaling;
  D3DXMatrixRotationZ(&rotation, angle);
  D3DXMatrixScaling(&scaling, scaleU, scaleV, 1.0f);
  // For two-component coordinates the device appends 1, so row 3 shifts.
  D3DXMATRIX shift = identityMatrix();
  shift._31 = offsetU;
  shift._32 = offsetV;
  D3DXMATRIX result;
  D3DXMatrixMultiply(&rotation, &scaling, &rotation);
  D3DXMatrixMultiply(&result, &shift, &rotation);
  D3DXMatrixMultiply(&result, &result, &shift);
  return result;
}
