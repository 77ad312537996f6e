#include "scenes/orbit_camera.h"

#include <bit>
#include <cmath>

static_assert(std::bit_cast<DWORD>(kFieldOfView) == 0x3FDF66F4u, "field of view bits");

float ScreenAspect(UINT width, UINT height) {
  return static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
}

void PlaceCamera(const OrbitCamera& orbit, float t, UINT screenWidth, UINT screenHeight, D3DXVECTOR3* eye,
                 D3DXMATRIX* view, D3DXMATRIX* projection) {
  // x repeats every 2π/0.015 clock units (about 7 s), y and z every
  // 2π/0.005 (about 21 s).
  const float fast = 0.015f * t;
  const float slow = 0.005f * t;
  eye->x = orbit.a * std::cos(fast);
  eye->y = orbit.b * std::cos(slow) + orbit.c * std::sin(slow);
  eye->z = orbit.d * std::sin(slow);
  const D3DXVECTOR3 target(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(view, eye, &target, &up);
  D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, ScreenAspect(screenWidth, screenHeight), kNearPlane,
                             kFarPlane);
}

void UploadViewProjection(IDirect3DDevice8* device, const D3DXMATRIX& view, const D3DXMATRIX& projection) {
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, &view, &projection);
  D3DXMATRIX transposed;
  D3DXMatrixTranspose(&transposed, &product);
  device->SetVertexShaderConstant(kViewProjectionRegister, &transposed, 4);
}
