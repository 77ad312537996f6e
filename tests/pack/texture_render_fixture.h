// Shared by the texture drawing tests: image fixtures and a full-screen textured draw.
#pragma once

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <vector>

#include "device_fixture.h"
#include "pack_test_util.h"

namespace packtest {

using d3d8test::ColourNear;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kWhite = 0xFFFFFFFF;

// A DIB as the JPEG decoder writes it, from ARGB words given top row first.
inline std::vector<uint8_t> MakeDib(int width, int height, const std::vector<uint32_t>& topFirst) {
  std::vector<uint8_t> dib;
  packtest::Put32(&dib, 40);
  packtest::Put32(&dib, uint32_t(width));
  packtest::Put32(&dib, uint32_t(height));
  dib.insert(dib.end(), {1, 0, 24, 0});
  dib.resize(40, 0);
  const int row = (width * 3 + 3) & ~3;
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = topFirst[size_t(y * width + x)];
      dib.insert(dib.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    }
    dib.resize(dib.size() + size_t(row - width * 3), 0);
  }
  return dib;
}

// 16 x 16 in quadrants: red, green over blue, white.
inline std::vector<uint8_t> QuadrantJpeg() {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint32_t c = y < 8 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kBlue : kWhite);
      rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  }
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  EXPECT_EQ(tjCompress2(handle, rgb.data(), 16, 0, 16, TJPF_RGB, &out, &size, TJSAMP_444, 100, 0),
            0);
  std::vector<uint8_t> jpeg(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

class TextureRenderTest : public d3d8test::DeviceTest {
 protected:
  // Draws the texture over the whole back buffer, sampling the nearest texel.
  void DrawTextured(IDirect3DTexture8* texture) {
    ASSERT_NE(texture, nullptr);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    UseTextureOnly();
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    // Pixel 0 samples right at the texture's edge; clamping keeps it from wrapping around.
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
    DrawRect(0, 0, float(kWidth), float(kHeight), 0xFFFFFFFF);
    device->EndScene();
    device->SetTexture(0, nullptr);
  }

  void ExpectQuadrants() {
    EXPECT_TRUE(ColourNear(Pixel(0, 0), kRed, 8));
    EXPECT_TRUE(ColourNear(Pixel(kWidth - 1, 0), kGreen, 8));
    EXPECT_TRUE(ColourNear(Pixel(0, kHeight - 1), kBlue, 8));
    EXPECT_TRUE(ColourNear(Pixel(kWidth - 1, kHeight - 1), kWhite, 8));
  }
};

}  // namespace packtest
