#include <cmath>
#include <cstring>
#include <vector>

#include "assembler.h"
#include "device_fixture.h"
#include "scenes/tangent_space.h"

#include <d3dx8.h>

namespace {

uint32_t Texel(IDirect3DCubeTexture8* cube, int face, UINT level, UINT x, UINT y) {
  D3DLOCKED_RECT locked;
  EXPECT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  uint32_t texel;
  std::memcpy(&texel, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
  cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), level);
  return texel;
}

TEST(DirectionEncoding, Table) {
  EXPECT_EQ(EncodeDirection(1, 0, 0), (254u << 16) | (127u << 8) | 127u);
  EXPECT_EQ(EncodeDirection(0, -1, 0), (127u << 16) | (0u << 8) | 127u);
  EXPECT_EQ(EncodeDirection(-1, -1, -1), 0u);
  EXPECT_EQ(EncodeDirection(1, 1, 1), 0xFEFEFEu);  // never 255
}

class CubeMapTest : public d3d8test::DeviceTest {};

TEST_F(CubeMapTest, TexelsEncodeTheirDirections) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(CreateNormalisationCubeMap(device, 33, 1, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 1u);
  D3DSURFACE_DESC desc;
  cube->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  // Row 0, column 0 of +X points along (1, 1, 1).
  EXPECT_EQ(Texel(cube, 0, 0, 0, 0), 0xC8C8C8u);
  // Face centres point along the axes.
  const float axes[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (int face = 0; face < 6; ++face)
    EXPECT_EQ(Texel(cube, face, 0, 16, 16), EncodeDirection(axes[face][0], axes[face][1], axes[face][2])) << face;
  // Along a face: +X, last column of row 16 is (1, 0, -1); +Y, last row of column 16 is (0, 1, 1).
  const float h = std::sqrt(0.5f);
  EXPECT_EQ(Texel(cube, 0, 0, 32, 16), EncodeDirection(h, 0, -h));
  EXPECT_EQ(Texel(cube, 2, 0, 16, 32), EncodeDirection(0, h, h));
  EXPECT_EQ(Texel(cube, 3, 0, 16, 32), EncodeDirection(0, -h, -h));
  EXPECT_EQ(Texel(cube, 5, 0, 0, 16), EncodeDirection(h, 0, -h));
  cube->Release();
}

TEST_F(CubeMapTest, LowerLevelsAverageTheLevelAbove) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(CreateNormalisationCubeMap(device, 32, 0, &cube), D3D_OK);
  ASSERT_EQ(cube->GetLevelCount(), 6u);
  for (int face : {0, 3, 5}) {
    for (UINT level = 1; level < 6; ++level) {
      const UINT size = 32u >> level;
      for (UINT y = 0; y < size; y += (size > 2 ? size / 2 - 1 : 1)) {
        for (UINT x = 0; x < size; x += (size > 2 ? size / 3 : 1)) {
          const uint32_t a = Texel(cube, face, level - 1, 2 * x, 2 * y), b = Texel(cube, face, level - 1, 2 * x + 1, 2 * y);
          const uint32_t c = Texel(cube, face, level - 1, 2 * x, 2 * y + 1), d = Texel(cube, face, level - 1, 2 * x + 1, 2 * y + 1);
          const uint32_t got = Texel(cube, face, level, x, y);
          for (int shift : {0, 8, 16, 24}) {
            const uint32_t sum = ((a >> shift) & 255) + ((b >> shift) & 255) + ((c >> shift) & 255) + ((d >> shift) & 255);
            EXPECT_EQ((got >> shift) & 255, (sum + 2) / 4) << face << " level " << level << " " << x << "," << y;
          }
        }
      }
    }
  }
  cube->Release();
}

TEST_F(CubeMapTest, FilterRejectsWhatItCannotFilter) {
  IDirect3DCubeTexture8* cube = nullptr;
  EXPECT_EQ(D3DXFilterCubeTexture(nullptr, nullptr, 0, D3DX_FILTER_LINEAR), D3DERR_INVALIDCALL);
  ASSERT_EQ(D3DXCreateCubeTexture(device, 8, 2, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 2u);
  EXPECT_EQ(D3DXFilterCubeTexture(cube, nullptr, 2, D3DX_FILTER_LINEAR), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFilterCubeTexture(cube, nullptr, 0, 9), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXFilterCubeTexture(cube, nullptr, 1, D3DX_FILTER_LINEAR), D3D_OK);  // nothing below
  cube->Release();
  EXPECT_EQ(D3DXCreateCubeTexture(nullptr, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube), D3DERR_INVALIDCALL);
}

std::vector<DWORD> Tokens(const std::string& text) {
  std::vector<uint32_t> tokens;
  shasm::Diagnostic error;
  EXPECT_TRUE(shasm::AssembleSource("inline", text, {}, &tokens, &error)) << error.ToString();
  return std::vector<DWORD>(tokens.begin(), tokens.end());
}

TEST_F(CubeMapTest, PixelShaderSamplingReturnsTheEncoding) {
  IDirect3DCubeTexture8* cube = nullptr;
  // An odd edge puts a texel centre on each axis; elsewhere point sampling
  // lands within half a texel of the direction.
  ASSERT_EQ(CreateNormalisationCubeMap(device, 65, 0, &cube), D3D_OK);
  const DWORD declaration[] = {0x20000000, 0x40020000, 0xFFFFFFFF};  // stream 0: v0 = float3
  DWORD vs = 0, ps = 0;
  const std::vector<DWORD> vsTokens = Tokens("vs.1.1\nmov oPos, v0\nmov oT0, c0\n");
  const std::vector<DWORD> psTokens = Tokens("ps.1.1\ntex t0\nmov r0, t0\n");
  ASSERT_EQ(device->CreateVertexShader(declaration, vsTokens.data(), &vs, 0), D3D_OK);
  ASSERT_EQ(device->CreatePixelShader(psTokens.data(), &ps), D3D_OK);
  const float directions[][3] = {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {-0.6f, 0.8f, 0}, {0.48f, 0.6f, -0.64f}};
  for (const auto& d : directions) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetVertexShader(vs);
    device->SetPixelShader(ps);
    device->SetTexture(0, cube);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    const float constant[4] = {d[0], d[1], d[2], 0};
    device->SetVertexShaderConstant(0, constant, 1);
    const float quad[6][3] = {{-1, -1, 0.5f}, {1, -1, 0.5f}, {-1, 1, 0.5f}, {-1, 1, 0.5f}, {1, -1, 0.5f}, {1, 1, 0.5f}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof quad[0]), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(d3d8test::ColourNear(Pixel(kWidth / 2, kHeight / 2), EncodeDirection(d[0], d[1], d[2]), 3))
        << d[0] << "," << d[1] << "," << d[2];
  }
  device->SetTexture(0, nullptr);
  device->SetPixelShader(0);
  device->SetVertexShader(D3DFVF_XYZ);
  device->DeletePixelShader(ps);
  device->DeleteVertexShader(vs);
  cube->Release();
}

}  // namespace
