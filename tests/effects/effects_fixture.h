// The demo's device and display settings on a small screen in the offline host.
#pragma once

#include <d3d8.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class EffectsTest : public testing::Test {
 protected:
  // Big enough for the 256 x 256 glow targets, which share the screen's depth buffer.
  static constexpr UINT kWidth = 320;
  static constexpr UINT kHeight = 288;

  void SetUp() override;
  void TearDown() override;

  // ARGB words of a render-target surface, rows top first.
  std::vector<uint32_t> ReadBack(IDirect3DSurface8* surface);
  IDirect3DSurface8* BackBuffer();
  IDirect3DSurface8* CurrentTarget();
  // A managed texture of one colour.
  IDirect3DTexture8* SolidTexture(uint32_t argb);
};
