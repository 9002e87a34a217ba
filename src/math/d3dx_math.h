// The four D3DX matrix builders the show uses, by their D3DX names and
// formulas: row-major, row vectors multiplied on the left, left-handed.
#pragma once

#include <d3d9.h>

struct D3DXMATRIX : D3DMATRIX {};

// out = m1 x m2; out may be m1 or m2.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf);

// The identity, built by hand as the show does wherever it needs one.
D3DXMATRIX identityMatrix();
