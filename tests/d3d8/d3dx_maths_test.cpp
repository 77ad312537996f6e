// D3DX maths: row vectors, left-handed rotations, the view and projection builders.
#include <d3dx8.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const D3DXVECTOR3& v, float x, float y, float z, float tolerance = 1e-5f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

TEST(D3dxMaths, TranslationScalingAndMultiplyOrder) {
  D3DXMATRIX t, s, ts, st, identity;
  D3DXMatrixTranslation(&t, 1, 2, 3);
  D3DXMatrixScaling(&s, 2, 2, 2);
  D3DXMatrixMultiply(&ts, &t, &s);  // translate first, then scale
  D3DXMatrixMultiply(&st, &s, &t);
  ExpectNear(Transform(D3DXVECTOR3(1, 0, 0), ts), 4, 4, 6);
  ExpectNear(Transform(D3DXVECTOR3(1, 0, 0), st), 3, 2, 3);
  // The output may alias an input.
  D3DXMatrixMultiply(&t, &t, &s);
  EXPECT_TRUE(t == ts);
  D3DXMatrixIdentity(&identity);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&identity));
  EXPECT_TRUE(identity * ts == ts);
  D3DXVECTOR3 direction;
  D3DXVECTOR3 unitX(1, 0, 0);
  D3DXVec3TransformNormal(&direction, &unitX, &ts);
  ExpectNear(direction, 2, 0, 0);
}

TEST(D3dxMaths, RotationsAreLeftHandedAndAgree) {
  const float quarter = D3DX_PI / 2;
  D3DXMATRIX axis, fixed;
  struct Case {
    D3DXVECTOR3 axis;
    D3DXMATRIX* (*rotation)(D3DXMATRIX*, FLOAT);
    D3DXVECTOR3 in, out;
  } cases[] = {
      {{0, 0, 2}, D3DXMatrixRotationZ, {1, 0, 0}, {0, 1, 0}},
      {{3, 0, 0}, D3DXMatrixRotationX, {0, 1, 0}, {0, 0, 1}},
      {{0, 0.5f, 0}, D3DXMatrixRotationY, {0, 0, 1}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    D3DXMatrixRotationAxis(&axis, &c.axis, quarter);  // the axis is normalised first
    c.rotation(&fixed, quarter);
    D3DXVECTOR3 byAxis = Transform(c.in, axis), byFixed = Transform(c.in, fixed);
    ExpectNear(byAxis, c.out.x, c.out.y, c.out.z);
    ExpectNear(byFixed, c.out.x, c.out.y, c.out.z);
  }
  // A diagonal axis: a third of a turn about (1, 1, 1) cycles x -> y -> z.
  D3DXVECTOR3 diagonal(1, 1, 1);
  D3DXMatrixRotationAxis(&axis, &diagonal, 2 * D3DX_PI / 3);
  ExpectNear(Transform(D3DXVECTOR3(1, 0, 0), axis), 0, 1, 0);
  D3DXMATRIX transposed, product;
  D3DXMatrixTranspose(&transposed, &axis);  // a rotation's transpose undoes it
  D3DXMatrixMultiply(&product, &axis, &transposed);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(product(r, c), r == c ? 1.0f : 0.0f, 1e-6f);
  }
}

TEST(D3dxMaths, LookAtAndPerspective) {
  D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  ExpectNear(Transform(D3DXVECTOR3(0, 0, 0), view), 0, 0, 5);
  ExpectNear(Transform(D3DXVECTOR3(1, 2, 0), view), 1, 2, 5);
  // Looking along +x from the origin: +z of the world is to the camera's left (x < 0).
  D3DXVECTOR3 origin(0, 0, 0), alongX(1, 0, 0);
  D3DXMatrixLookAtLH(&view, &origin, &alongX, &up);
  ExpectNear(Transform(D3DXVECTOR3(3, 0, 1), view), -1, 0, 3);

  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 2.0f, 1.0f, 100.0f);
  ExpectNear(Transform(D3DXVECTOR3(0, 0, 1), projection), 0, 0, 0);
  ExpectNear(Transform(D3DXVECTOR3(0, 0, 100), projection), 0, 0, 1);
  // With a 90 degree field of view the top edge at depth 10 is y = 10; x reaches 20.
  ExpectNear(Transform(D3DXVECTOR3(20, 10, 10), projection), 1, 1, 100.0f / 99.0f * 0.9f);
  EXPECT_EQ(projection._34, 1.0f);
  EXPECT_EQ(projection._44, 0.0f);

  D3DXMATRIX inverse;
  float determinant = 0;
  ASSERT_NE(D3DXMatrixInverse(&inverse, &determinant, &view), nullptr);
  EXPECT_NEAR(determinant, 1.0f, 1e-6f);
  ExpectNear(Transform(Transform(D3DXVECTOR3(4, 5, 6), view), inverse), 4, 5, 6, 1e-4f);
  D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
  EXPECT_EQ(D3DXMatrixInverse(&inverse, nullptr, &singular), nullptr);
}

TEST(D3dxMaths, NormaliseWithTheZeroRule) {
  struct Case {
    D3DXVECTOR3 in, out;
  } cases[] = {
      {{3, 4, 0}, {0.6f, 0.8f, 0}},
      {{0, 0, -7}, {0, 0, -1}},
      {{0, 0, 0}, {0, 0, 0}},
      {{1e-6f, 0, 0}, {0, 0, 0}},
      {{1e-5f, 0, 0}, {0, 0, 0}},  // x² is 1e-10: still zero
      {{2e-5f, 0, 0}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    D3DXVECTOR3 out;
    D3DXVec3Normalize(&out, &c.in);
    ExpectNear(out, c.out.x, c.out.y, c.out.z);
  }
  D3DXVECTOR3 v(0, 5, 0);
  D3DXVec3Normalize(&v, &v);  // in place
  ExpectNear(v, 0, 1, 0);
  D3DXVECTOR3 a(1, 0, 0), b(0, 1, 0), cross;
  D3DXVec3Cross(&cross, &a, &b);
  ExpectNear(cross, 0, 0, 1);
  EXPECT_FLOAT_EQ(D3DXVec3Length(&cross), 1.0f);
}

}  // namespace
