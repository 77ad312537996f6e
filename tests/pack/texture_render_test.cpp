// Textures made from image files, drawn for real on the offline host and read back.
#include <gtest/gtest.h>

#include <d3dx8tex.h>

#include <string>
#include <vector>

#include "device_fixture.h"
#include "pack_test_util.h"
#include "texture_render_fixture.h"

namespace {

using namespace packtest;

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

TEST_F(TextureRenderTest, AskedSizeFormatAndColourKeyAreHonoured) {
  // 2 x 2 grown to 4 x 4 with point sampling, in 5-6-5, green keyed out: each texel doubles,
  // and the keyed green becomes transparent black (0 in a format without alpha).
  const std::vector<uint8_t> dib = MakeDib(2, 2, {kRed, kGreen, kBlue, kWhite});
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info = {};
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, dib.data(), UINT(dib.size()), 4, 4, 1, 0,
                                                D3DFMT_R5G6B5, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                                D3DX_FILTER_POINT, kGreen, &info, nullptr,
                                                &texture),
            D3D_OK);
  EXPECT_EQ(info.Width, 2u) << "the source's size, not the texture's";
  EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
  ASSERT_EQ(texture->GetLevelCount(), 1u);
  D3DSURFACE_DESC desc = {};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  D3DLOCKED_RECT locked = {};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  auto texel = [&](int x, int y) {
    return reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                             y * locked.Pitch)[x];
  };
  EXPECT_EQ(texel(0, 0), 0xF800);
  EXPECT_EQ(texel(1, 1), 0xF800);
  EXPECT_EQ(texel(2, 0), 0x0000);
  EXPECT_EQ(texel(0, 3), 0x001F);
  EXPECT_EQ(texel(3, 3), 0xFFFF);
  texture->UnlockRect(0);
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

}  // namespace
