// The camera both 3D scenes share: an orbit around the world origin driven
// by the demo clock, a fixed perspective, and the view x projection handed
// to the vertex shaders in c14-c17.
#pragma once

#include <d3dx8.h>

struct OrbitCamera {
  float a, b, c, d;  // radii that shape the orbit
};

constexpr OrbitCamera kRoomOrbit = {390.0f, 120.0f, 200.0f, 320.0f};
constexpr OrbitCamera kFurOrbit = {146.0f, 165.0f, 2.0f, 167.0f};

// About 100 degrees: the float with bits 0x3FDF66F4.
constexpr float kFieldOfView = 1.7453294f;
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 2000.0f;

// Width over height in floating point, rounded to float.
float ScreenAspect(UINT width, UINT height);

// Eye, view and projection at demo-clock time t on a screen of the given size.
void PlaceCamera(const OrbitCamera& orbit, float t, UINT screenWidth, UINT screenHeight, D3DXVECTOR3* eye,
                 D3DXMATRIX* view, D3DXMATRIX* projection);

// c14-c17 = transpose(view x projection): a shader forms clip space from four
// dot products of the position with them.
void UploadViewProjection(IDirect3DDevice8* device, const D3DXMATRIX& view, const D3DXMATRIX& projection);

constexpr DWORD kViewProjectionRegister = 14;
