// D3DX8 stand-in: vectors and matrices with D3DX's conventions: row vectors (v' = v * M),
// left-handed coordinates, matrices stored row by row.
#pragma once

#include <d3d8.h>

#define D3DX_PI ((FLOAT)3.141592654f)
#define D3DX_1BYPI ((FLOAT)0.318309886f)
#define D3DXToRadian(degree) ((degree) * (D3DX_PI / 180.0f))
#define D3DXToDegree(radian) ((radian) * (180.0f / D3DX_PI))

struct D3DXVECTOR2 {
  D3DXVECTOR2() = default;
  D3DXVECTOR2(FLOAT x, FLOAT y) : x(x), y(y) {}
  FLOAT x, y;
};

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
  D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) {
    x = fx;
    y = fy;
    z = fz;
  }
  D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
  D3DXVECTOR3 operator*(FLOAT f) const { return {x * f, y * f, z * f}; }
  D3DXVECTOR3 operator/(FLOAT f) const { return {x / f, y / f, z / f}; }
  D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
  D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  D3DXVECTOR3& operator*=(FLOAT f) {
    x *= f;
    y *= f;
    z *= f;
    return *this;
  }
  bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};

struct D3DXVECTOR4 {
  D3DXVECTOR4() = default;
  D3DXVECTOR4(FLOAT x, FLOAT y, FLOAT z, FLOAT w) : x(x), y(y), z(z), w(w) {}
  bool operator==(const D3DXVECTOR4& v) const {
    return x == v.x && y == v.y && z == v.z && w == v.w;
  }
  FLOAT x, y, z, w;
};

struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(const D3DMATRIX& m) : D3DMATRIX(m) {}
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23,
             FLOAT f24, FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42,
             FLOAT f43, FLOAT f44);
  FLOAT& operator()(UINT row, UINT column) { return m[row][column]; }
  FLOAT operator()(UINT row, UINT column) const { return m[row][column]; }
  D3DXMATRIX operator*(const D3DXMATRIX& other) const;
  D3DXMATRIX& operator*=(const D3DXMATRIX& other);
  bool operator==(const D3DXMATRIX& other) const;
  bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
  operator FLOAT*() { return &_11; }
  operator const FLOAT*() const { return &_11; }
};

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out);
BOOL WINAPI D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX* WINAPI D3DXMatrixScaling(D3DXMATRIX* out, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle);
D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle);
// Rotation by `angle` radians about `axis` (normalised first), clockwise when looking along
// the axis towards the origin, as D3DX's left-handed rotations are.
D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, FLOAT angle);
// out = m1 * m2: a row vector goes through m1 first. `out` may be either input.
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1,
                                      const D3DXMATRIX* m2);
D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
// The inverse, or null when `m` is singular. `determinant` receives the determinant if given.
D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, const D3DXMATRIX* m);
D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect,
                                              FLOAT zNear, FLOAT zFar);

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3* v);
FLOAT WINAPI D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
D3DXVECTOR3* WINAPI D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
// Unit length, or the zero vector when x² + y² + z² is at most 1e-10.
D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
// (x, y, z, 1) * m, divided by the resulting w.
D3DXVECTOR3* WINAPI D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                           const D3DXMATRIX* m);
// (x, y, z, 0) * m: directions, without translation.
D3DXVECTOR3* WINAPI D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v,
                                            const D3DXMATRIX* m);
// (x, y, z, 1) * m, all four components.
D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v,
                                      const D3DXMATRIX* m);
D3DXVECTOR4* WINAPI D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v,
                                      const D3DXMATRIX* m);
