// A device on a small back buffer in the offline host, and helpers to draw and read pixels.
#pragma once

#include <d3d8.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace d3d8test {

// x, y, z, rhw, colour, u, v: FVF 0x144.
struct ScreenVertex {
  float x, y, z, rhw;
  DWORD colour;
  float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Frames the host has been handed, newest last (rows top first, B, G, R, A).
struct PresentedFrame {
  UINT width, height;
  std::vector<uint8_t> bgra;
};
const std::vector<PresentedFrame>& PresentedFrames();

class DeviceTest : public testing::Test {
 protected:
  static constexpr UINT kWidth = 64;
  static constexpr UINT kHeight = 48;

  void SetUp() override;
  void TearDown() override;

  // The ARGB words of a render-target surface (the back buffer when null), rows top first.
  std::vector<uint32_t> ReadBack(IDirect3DSurface8* surface = nullptr);
  uint32_t Pixel(int x, int y, IDirect3DSurface8* surface = nullptr);

  // A managed texture filled from colour(x, y) as ARGB words.
  IDirect3DTexture8* MakeTexture(UINT width, UINT height,
                                 const std::function<uint32_t(UINT, UINT)>& colour,
                                 D3DFORMAT format = D3DFMT_A8R8G8B8);

  // A screen-space rectangle as a two-triangle fan.
  void DrawRect(float x0, float y0, float x1, float y1, DWORD colour, float u0 = 0,
                float v0 = 0, float u1 = 1, float v1 = 1, float z = 0.5f);

  // Fixed-function stage 0 as the quad tests want it unless a test says otherwise.
  void UseTextureOnly();
  void UseDiffuseOnly();

  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
};

// Channel helpers on ARGB words.
inline int Red(uint32_t c) { return (c >> 16) & 0xff; }
inline int Green(uint32_t c) { return (c >> 8) & 0xff; }
inline int Blue(uint32_t c) { return c & 0xff; }
inline int Alpha(uint32_t c) { return (c >> 24) & 0xff; }

// Every channel within `tolerance` of the expected colour (alpha ignored unless asked).
::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance,
                                      bool withAlpha = false);

}  // namespace d3d8test
