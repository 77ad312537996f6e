// Textures made from image files, drawn for real on the offline host and read back.
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <d3dx8tex.h>

#include <string>
#include <vector>

#include "app/window_and_device.h"
#include "device_fixture.h"
#include "pack/pack_file.h"
#include "pack/texture_loaders.h"
#include "pack_test_util.h"
#include "pack_writer.h"

namespace {

using d3d8test::ColourNear;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                   kWhite = 0xFFFFFFFF;

// A DIB as the JPEG decoder writes it, from ARGB words given top row first.
std::vector<uint8_t> MakeDib(int width, int height, const std::vector<uint32_t>& topFirst) {
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
std::vector<uint8_t> QuadrantJpeg() {
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
    UseTextureOnly();
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
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

TEST_F(TextureRenderTest, DibWithRedTopLeftDrawsRedAtTextureOrigin) {
  const std::vector<uint8_t> dib = MakeDib(2, 2, {kRed, kGreen, kBlue, kWhite});
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info = {};
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                device, dib.data(), UINT(dib.size()), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, &info,
                nullptr, &texture),
            D3D_OK);
  EXPECT_EQ(info.Width, 2u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DIB);
  EXPECT_EQ(texture->GetLevelCount(), 2u);
  DrawTextured(texture);
  ExpectQuadrants();
  texture->Release();
}

TEST_F(TextureRenderTest, MipLevelsHoldTheAveragesOfTheLevelAbove) {
  // 4 x 2: level 1 is 2 x 1, each the mean of a 2 x 2 block; level 2 the mean of those.
  const std::vector<uint8_t> dib =
      MakeDib(4, 2, {0xFF102030, 0xFF203040, 0xFFF0F0F0, 0xFF000000,  //
                     0xFF305070, 0xFF406080, 0xFF100010, 0xFF000002});
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                device, dib.data(), UINT(dib.size()), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0,
                nullptr, nullptr, &texture),
            D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  auto level = [&](UINT index) {
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(index, &desc);
    D3DLOCKED_RECT locked = {};
    EXPECT_EQ(texture->LockRect(index, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> words;
    for (UINT y = 0; y < desc.Height; ++y) {
      for (UINT x = 0; x < desc.Width; ++x) {
        words.push_back(
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                              y * locked.Pitch)[x]);
      }
    }
    texture->UnlockRect(index);
    return words;
  };
  // (0x10+0x20+0x30+0x40)/4 = 0x28, (0x20+0x30+0x50+0x60)/4 = 0x40, (0x30+0x40+0x70+0x80)/4
  // = 0x58; (0xF0+0x10)/4 = 0x40, 0xF0/4 = 0x3C, (0xF0+0x10+2)/4 = 0x40.8 -> 0x41.
  EXPECT_EQ(level(1), (std::vector<uint32_t>{0xFF284058, 0xFF403C41}));
  // (0x28+0x40)/2 = 0x34, (0x40+0x3C)/2 = 0x3E, (0x58+0x41)/2 = 0x4C.8 -> 0x4D.
  EXPECT_EQ(level(2), (std::vector<uint32_t>{0xFF343E4D}));
  texture->Release();
}

TEST_F(TextureRenderTest, CorruptDataGivesAnErrorAndNoTexture) {
  const std::vector<uint8_t> junk = packtest::Bytes("no picture in here at all, none");
  IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(0x1);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                device, junk.data(), UINT(junk.size()), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0,
                nullptr, nullptr, &texture),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, nullptr, 10, &texture), D3DERR_INVALIDCALL);
}

// The demo's loaders, from a pack, on the demo's device.
TEST_F(TextureRenderTest, PackedJpegAndTgaLoadOnTheDemoDevice) {
  vantrel::pack::PackWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Add("!textures\\quad.jpg", QuadrantJpeg(), &error)) << error;
  std::vector<uint8_t> tga;
  ASSERT_TRUE(vantrel::pack::ReadFileBytes(std::string(VANTREL_TESTDATA) + "/images/irr_Particle.tga",
                                           &tga, &error))
      << error;
  ASSERT_TRUE(writer.Add("!textures\\fur.tga", tga, &error)) << error;
  const std::string path = (packtest::TempFolder() / "render.dat").string();
  ASSERT_TRUE(writer.Write(path, &error)) << error;
  ASSERT_TRUE(packFile.OpenPack(path.c_str()));
  ::device = device;

  IDirect3DTexture8* jpeg = LoadJpegTexture("!TEXTURES\\QUAD.JPG");
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->GetLevelCount(), 5u);
  DrawTextured(jpeg);
  ExpectQuadrants();
  jpeg->Release();

  IDirect3DTexture8* particle = LoadPackedTexture("!textures\\fur.tga", D3DPOOL_DEFAULT);
  ASSERT_NE(particle, nullptr);
  D3DSURFACE_DESC desc = {};
  particle->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(particle->GetLevelCount(), 7u);
  particle->Release();

  unsigned char* before = packFile.lastData;
  EXPECT_EQ(LoadJpegTexture(nullptr), nullptr);
  EXPECT_EQ(packFile.lastData, before) << "no name extracts nothing";
  ::device = nullptr;
}

}  // namespace
