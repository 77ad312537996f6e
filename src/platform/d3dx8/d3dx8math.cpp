#include "d3dx8math.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22,
                       FLOAT f23, FLOAT f24, FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34,
                       FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44) {
  _11 = f11; _12 = f12; _13 = f13; _14 = f14;
  _21 = f21; _22 = f22; _23 = f23; _24 = f24;
  _31 = f31; _32 = f32; _33 = f33; _34 = f34;
  _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const {
  D3DXMATRIX result;
  D3DXMatrixMultiply(&result, this, &other);
  return result;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& other) {
  D3DXMatrixMultiply(this, this, &other);
  return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& other) const {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      if (m[r][c] != other.m[r][c]) return false;
    }
  }
  return true;
}

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  return *m == identity;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z) {
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, FLOAT sx, FLOAT sy, FLOAT sz) {
  *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle) {
  FLOAT c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle) {
  FLOAT c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle) {
  FLOAT c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis,
                                          FLOAT angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, axis);
  FLOAT c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  *out = D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0,
                    t * v.x * v.y - s * v.z, t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0,
                    t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c, 0,
                    0, 0, 0, 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1,
                                      const D3DXMATRIX* m2) {
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      result.m[r][c] = m1->m[r][0] * m2->m[0][c] + m1->m[r][1] * m2->m[1][c] +
                       m1->m[r][2] * m2->m[2][c] + m1->m[r][3] * m2->m[3][c];
    }
  }
  *out = result;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  D3DXMATRIX result;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) result.m[r][c] = m->m[c][r];
  }
  *out = result;
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m) {
  // Cofactors in double precision, so near-singular matrices lose as little as possible.
  double a[4][4], inv[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) a[r][c] = m->m[r][c];
  }
  auto minor3 = [&](int skipRow, int skipColumn) {
    double s[3][3];
    for (int r = 0, i = 0; r < 4; ++r) {
      if (r == skipRow) continue;
      for (int c = 0, j = 0; c < 4; ++c) {
        if (c == skipColumn) continue;
        s[i][j++] = a[r][c];
      }
      ++i;
    }
    return s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[2][1]) -
           s[0][1] * (s[1][0] * s[2][2] - s[1][2] * s[2][0]) +
           s[0][2] * (s[1][0] * s[2][1] - s[1][1] * s[2][0]);
  };
  double det = 0;
  for (int c = 0; c < 4; ++c) det += ((c & 1) ? -1 : 1) * a[0][c] * minor3(0, c);
  if (determinant) *determinant = static_cast<FLOAT>(det);
  if (det == 0.0) return nullptr;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      inv[c][r] = (((r + c) & 1) ? -1 : 1) * minor3(r, c) / det;
    }
  }
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) out->m[r][c] = static_cast<FLOAT>(inv[r][c]);
  }
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
  D3DXVECTOR3 zAxis = *at - *eye, xAxis, yAxis;
  D3DXVec3Normalize(&zAxis, &zAxis);
  D3DXVec3Cross(&xAxis, up, &zAxis);
  D3DXVec3Normalize(&xAxis, &xAxis);
  D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
  *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z,
                    yAxis.z, zAxis.z, 0, -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye),
                    -D3DXVec3Dot(&zAxis, eye), 1);
  return out;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect,
                                              FLOAT zNear, FLOAT zFar) {
  FLOAT yScale = 1.0f / std::tan(fovY / 2.0f);
  FLOAT xScale = yScale / aspect;
  FLOAT depth = zFar / (zFar - zNear);
  *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, depth, 1, 0, 0, -zNear * depth, 0);
  return out;
}

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* v) {
  return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
}

FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  D3DXVECTOR3 result(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z,
                     a->x * b->y - a->y * b->x);
  *out = result;
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  FLOAT squared = v->x * v->x + v->y * v->y + v->z * v->z;
  if (squared <= 1e-10f) {
    *out = D3DXVECTOR3(0, 0, 0);
    return out;
  }
  FLOAT length = std::sqrt(squared);
  *out = D3DXVECTOR3(v->x / length, v->y / length, v->z / length);
  return out;
}

D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v,
                                      const D3DXMATRIX* m) {
  D3DXVECTOR4 result(
      v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
      v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
      v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
      v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
  *out = result;
  return out;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v,
                                      const D3DXMATRIX* m) {
  D3DXVECTOR4 point(v->x, v->y, v->z, 1.0f);
  return D3DXVec4Transform(out, &point, m);
}

D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m) {
  D3DXVECTOR4 h;
  D3DXVec3Transform(&h, v, m);
  FLOAT w = h.w != 0.0f ? h.w : 1.0f;
  *out = D3DXVECTOR3(h.x / w, h.y / w, h.z / w);
  return out;
}

D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m) {
  D3DXVECTOR3 result(v->x * m->_11 + v->y * m->_21 + v->z * m->_31,
                     v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                     v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
  *out = result;
  return out;
}
