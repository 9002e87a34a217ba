#include "d3dx_math.h"

#include <cmath>

namespace {

D3DXMATRIX zeroMatrix() {
  D3DXMATRIX m;
  for (auto& row : m.m) {
    for (float& element : row) element = 0.0f;
  }
  return m;
}

}  // namespace

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
  // Formed aside first: callers write M = M x T and A = S x A.
  D3DXMATRIX product;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      product.m[i][j] = m1->m[i][0] * m2->m[0][j] + m1->m[i][1] * m2->m[1][j] +
                        m1->m[i][2] * m2->m[2][j] + m1->m[i][3] * m2->m[3][j];
    }
  }
  *out = product;
  return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
  *out = zeroMatrix();
  out->_11 = sx;
  out->_22 = sy;
  out->_33 = sz;
  out->_44 = 1.0f;
  return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *out = zeroMatrix();
  out->_11 = c;
  out->_12 = s;
  out->_21 = -s;
  out->_22 = c;
  out->_33 = 1.0f;
  out->_44 = 1.0f;
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
  *out = zeroMatrix();
  out->_11 = 2.0f / w;
  out->_22 = 2.0f / h;
  out->_33 = 1.0f / (zf - zn);
  out->_43 = -zn / (zf - zn);
  out->_44 = 1.0f;
  return out;
}

D3DXMATRIX identityMatrix() {
  D3DXMATRIX m = zeroMatrix();
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}
