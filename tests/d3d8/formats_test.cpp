// Texture formats read as D3D reads them, and vertex formats feed the stages they name.
#include <cstring>

#include "device_fixture.h"

namespace d3d8test {
namespace {

using Formats = DeviceTest;

struct FormatCase {
  D3DFORMAT format;
  std::vector<uint8_t> texel;  // bytes in memory, as D3D lays them out
  uint32_t expected;           // ARGB as sampled
  int tolerance;
};

TEST_F(Formats, EachTextureFormatSamplesAsD3DReadsIt) {
  const FormatCase cases[] = {
      {D3DFMT_A8R8G8B8, {0x30, 0x60, 0x90, 0x80}, 0x80906030, 1},
      {D3DFMT_X8R8G8B8, {0x30, 0x60, 0x90, 0x12}, 0xFF906030, 1},
      // R5G6B5 0xF81F: red 31, green 0, blue 31.
      {D3DFMT_R5G6B5, {0x1F, 0xF8}, 0xFFFF00FF, 1},
      // X1R5G5B5 0x03E0: green 31, the top bit ignored.
      {D3DFMT_X1R5G5B5, {0xE0, 0x03}, 0xFF00FF00, 1},
      // A1R5G5B5 0x801F: alpha set, blue 31.
      {D3DFMT_A1R5G5B5, {0x1F, 0x80}, 0xFF0000FF, 1},
      // A4R4G4B4 0x4F80: alpha 4, red 15, green 8, blue 0.
      {D3DFMT_A4R4G4B4, {0x80, 0x4F}, 0x44FF8800, 1},
      {D3DFMT_L8, {0x66}, 0xFF666666, 1},
      {D3DFMT_A8, {0x99}, 0x99000000, 1},
      {D3DFMT_A8L8, {0x40, 0xC0}, 0xC0404040, 1},
  };
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  IDirect3DSurface8* depth = nullptr;
  device->GetDepthStencilSurface(&depth);
  device->SetRenderTarget(surface, depth);
  UseTextureOnly();
  for (const FormatCase& c : cases) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, &texture), D3D_OK)
        << c.format;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    ASSERT_EQ(size_t(locked.Pitch), c.texel.size()) << c.format;
    std::memcpy(locked.pBits, c.texel.data(), c.texel.size());
    texture->UnlockRect(0);
    device->SetTexture(0, texture);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawRect(0, 0, 8, 8, 0xFFFFFFFF);
    EXPECT_TRUE(ColourNear(Pixel(3, 3, surface), c.expected, c.tolerance, true)) << "format " << c.format;
    device->SetTexture(0, nullptr);
    texture->Release();
  }
  surface->Release();
  target->Release();
  depth->Release();
}

TEST_F(Formats, SignedFormatsFeedTheBumpStageWithTheirSign) {
  // Q8W8V8U8 with du = -64: the lookup of stage 1 moves left from u = 0.75 to 0.25.
  IDirect3DTexture8* bump = nullptr;
  ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &bump), D3D_OK);
  D3DLOCKED_RECT locked;
  bump->LockRect(0, &locked, nullptr, 0);
  const int8_t uvwq[4] = {-64, 0, 0, 127};
  std::memcpy(locked.pBits, uvwq, 4);
  bump->UnlockRect(0);
  IDirect3DTexture8* colours =
      MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTexture(0, bump);
  device->SetTexture(1, colours);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  float one = 1.0f;
  DWORD bits;
  std::memcpy(&bits, &one, 4);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, bits);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  DrawRect(0, 0, 8, 8, 0xFFFFFFFF, 0.75f, 0.5f, 0.75f, 0.5f);
  EXPECT_TRUE(ColourNear(Pixel(4, 4), 0xFFFF0000, 2));
  device->SetTexture(1, nullptr);
  device->SetTexture(0, nullptr);
  bump->Release();
  colours->Release();
}

TEST_F(Formats, VertexFormatsCarrySpecularAndSeveralCoordinateSets) {
  // Two coordinate sets, the first three wide; stage 0 takes set 1 by TEXCOORDINDEX.
  struct Vertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float s0[3];
    float s1[2];
  };
  const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
                    D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE2(1);
  IDirect3DTexture8* texture =
      MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFF800000u : 0xFF000080u; });
  auto v = [](float x, float y) {
    return Vertex{x, y, 0.5f, 1, 0xFF000000, 0xFF004000, {0.75f, 0, 0}, {0.25f, 0.5f}};
  };
  Vertex quad[4] = {v(0, 0), v(8, 0), v(8, 8), v(0, 8)};
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTexture(0, texture);
  UseTextureOnly();
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  device->SetVertexShader(fvf);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_TRUE(ColourNear(Pixel(4, 4), 0xFF800000, 2)) << "set 1 picks the red texel";
  // With SPECULARENABLE the specular colour is added after the stages.
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_TRUE(ColourNear(Pixel(4, 4), 0xFF804000, 2)) << "specular added";
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), D3D_OK);
  EXPECT_TRUE(ColourNear(Pixel(4, 4), 0xFF004080, 2)) << "set 0 picks the blue texel";
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Formats, CubeTexturesSampleTheFaceTheCoordinatePointsAt) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  const uint32_t faceColours[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  for (int face = 0; face < 6; ++face) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr, 0), D3D_OK);
    for (int i = 0; i < 16; ++i) std::memcpy(static_cast<uint8_t*>(locked.pBits) + i * 4, &faceColours[face], 4);
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  struct Vertex {
    float x, y, z, rhw;
    float s[3];
  };
  const DWORD fvf = D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTexture(0, cube);
  UseTextureOnly();
  device->SetVertexShader(fvf);
  const float directions[6][3] = {{1, 0.2f, 0.1f}, {-1, 0.1f, 0.2f}, {0.1f, 1, 0.2f},
                                  {0.2f, -1, 0.1f}, {0.1f, 0.2f, 1}, {0.2f, 0.1f, -1}};
  for (int face = 0; face < 6; ++face) {
    const float* d = directions[face];
    Vertex quad[4] = {{0, 0, 0.5f, 1, {d[0], d[1], d[2]}}, {8, 0, 0.5f, 1, {d[0], d[1], d[2]}},
                      {8, 8, 0.5f, 1, {d[0], d[1], d[2]}}, {0, 8, 0.5f, 1, {d[0], d[1], d[2]}}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(Pixel(4, 4) & 0xFFFFFF, faceColours[face]) << "face " << face;
  }
  device->SetTexture(0, nullptr);
  cube->Release();
}

}  // namespace
}  // namespace d3d8test
