// The four matrix builders against their formulas.
#include "math/d3dx_math.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {

D3DXMATRIX numbered(float start) {
  D3DXMATRIX m;
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = start + static_cast<float>(i);
  return m;
}

// The row vector (x, y, z, 1) times m, divided by w.
std::array<float, 3> transform(const D3DXMATRIX& m, float x, float y, float z) {
  float out[4];
  for (int j = 0; j < 4; ++j) out[j] = x * m.m[0][j] + y * m.m[1][j] + z * m.m[2][j] + m.m[3][j];
  return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

void expectEqual(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(a.m[i / 4][i % 4], b.m[i / 4][i % 4]) << i;
}

TEST(MatrixMultiply, RowsTimesColumnsAndSafeWhenOutIsAnInput) {
  const D3DXMATRIX a = numbered(1), b = numbered(-5);
  D3DXMATRIX product;
  EXPECT_EQ(D3DXMatrixMultiply(&product, &a, &b), &product);
  // _23 = row 2 of a . column 3 of b = 5*(-3) + 6*1 + 7*5 + 8*9.
  EXPECT_FLOAT_EQ(product._23, 5 * -3.f + 6 * 1.f + 7 * 5.f + 8 * 9.f);
  const D3DXMATRIX id = identityMatrix();
  D3DXMATRIX same;
  D3DXMatrixMultiply(&same, &a, &id);
  expectEqual(same, a);

  D3DXMATRIX left = a;
  D3DXMatrixMultiply(&left, &left, &b);
  expectEqual(left, product);
  D3DXMATRIX right = b;
  D3DXMatrixMultiply(&right, &a, &right);
  expectEqual(right, product);
  D3DXMATRIX both = a, square;
  D3DXMatrixMultiply(&square, &a, &a);
  D3DXMatrixMultiply(&both, &both, &both);
  expectEqual(both, square);
}

TEST(MatrixBuilders, ScalingRotationAndOrtho) {
  D3DXMATRIX s;
  D3DXMatrixScaling(&s, 2, 3, 4);
  EXPECT_EQ(transform(s, 1, 1, 1), (std::array<float, 3>{2, 3, 4}));
  EXPECT_FLOAT_EQ(s._44, 1);
  EXPECT_FLOAT_EQ(s._12, 0);

  D3DXMATRIX r;
  D3DXMatrixRotationZ(&r, std::numbers::pi_v<float> / 2);
  const auto turned = transform(r, 1, 0, 0);
  EXPECT_NEAR(turned[0], 0, 1e-6);
  EXPECT_NEAR(turned[1], 1, 1e-6);
  D3DXMatrixRotationZ(&r, 0.3f);
  EXPECT_FLOAT_EQ(r._12, std::sin(0.3f));
  EXPECT_FLOAT_EQ(r._21, -std::sin(0.3f));
  EXPECT_FLOAT_EQ(r._33, 1);

  D3DXMATRIX o;
  D3DXMatrixOrthoLH(&o, 640, 480, 10, -10);
  EXPECT_FLOAT_EQ(o._33, -0.05f);
  EXPECT_FLOAT_EQ(o._43, 0.5f);
  const auto corner = transform(o, 320, 240, 0);
  EXPECT_FLOAT_EQ(corner[0], 1);
  EXPECT_FLOAT_EQ(corner[1], 1);
  EXPECT_FLOAT_EQ(corner[2], 0.5f);
  EXPECT_FLOAT_EQ(transform(o, -320, 0, 0)[0], -1);
}

}  // namespace
