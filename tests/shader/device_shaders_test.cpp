// Shaders through the device: creation from token streams, declarations, constants across
// shader changes, the bump matrix state, cube textures, and malformed streams.
#include <gtest/gtest.h>

#include <cstring>

#include "../d3d8/device_fixture.h"
#include "assembler.h"

using namespace d3d8test;

namespace {

std::vector<DWORD> Tokens(const std::string& text) {
  std::vector<uint32_t> tokens;
  shasm::Diagnostic error;
  EXPECT_TRUE(shasm::AssembleSource("inline", text, {}, &tokens, &error)) << error.ToString();
  return std::vector<DWORD>(tokens.begin(), tokens.end());
}

// Position (v0), colour (v5), texture coordinate (v3): 24 bytes.
struct Vertex {
  float x, y, z;
  DWORD colour;
  float u, v;
};
const DWORD kDeclaration[] = {0x20000000, 0x40020000, 0x40040005, 0x40010003, 0xFFFFFFFF};

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

uint32_t Argb(float r, float g, float b, float a = 1.0f) {
  auto c = [](float v) { return static_cast<uint32_t>(v * 255.0f + 0.5f); };
  return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

class DeviceShaders : public DeviceTest {
 protected:
  DWORD MakeVertexShader(const std::string& text, const DWORD* declaration = kDeclaration) {
    std::vector<DWORD> tokens = Tokens(text);
    DWORD handle = 0;
    EXPECT_EQ(device->CreateVertexShader(declaration, tokens.data(), &handle, 0), D3D_OK) << text;
    return handle;
  }
  DWORD MakePixelShader(const std::string& text) {
    std::vector<DWORD> tokens = Tokens(text);
    DWORD handle = 0;
    EXPECT_EQ(device->CreatePixelShader(tokens.data(), &handle), D3D_OK) << text;
    return handle;
  }
  // A rectangle in D3D clip coordinates as two triangles.
  void Quad(float x0, float y0, float x1, float y1, DWORD colour = 0xFFFFFFFF) {
    const ::Vertex v[6] = {{x0, y1, 0.5f, colour, 0, 0}, {x1, y1, 0.5f, colour, 1, 0}, {x0, y0, 0.5f, colour, 0, 1},
                           {x0, y0, 0.5f, colour, 0, 1}, {x1, y1, 0.5f, colour, 1, 0}, {x1, y0, 0.5f, colour, 1, 1}};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, v, sizeof(::Vertex)), D3D_OK);
  }
  void Begin() {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  void End() { ASSERT_EQ(device->EndScene(), D3D_OK); }
  void SetVs(DWORD reg, float x, float y, float z, float w) {
    const float v[4] = {x, y, z, w};
    ASSERT_EQ(device->SetVertexShaderConstant(reg, v, 1), D3D_OK);
  }
  void SetPs(DWORD reg, float x, float y, float z, float w) {
    const float v[4] = {x, y, z, w};
    ASSERT_EQ(device->SetPixelShaderConstant(reg, v, 1), D3D_OK);
  }
};

}  // namespace

TEST_F(DeviceShaders, DeclarationFeedsRegistersAndM4x4PlacesTheTriangle) {
  const DWORD vs = MakeVertexShader("vs.1.1\nm4x4 oPos, v0, c14\nmov oD0, v5\nmov oT0, v3\n");
  const DWORD ps = MakePixelShader("ps.1.1\nmov r0, v0\n");
  Begin();
  // Scale by 0.5 and move by (0.5, 0.5): the transposed matrix, one column per register.
  SetVs(14, 0.5f, 0, 0, 0.5f);
  SetVs(15, 0, 0.5f, 0, 0.5f);
  SetVs(16, 0, 0, 1, 0);
  SetVs(17, 0, 0, 0, 1);
  ASSERT_EQ(device->SetVertexShader(vs), D3D_OK);
  ASSERT_EQ(device->SetPixelShader(ps), D3D_OK);
  const ::Vertex tri[3] = {{-1, -1, 0.5f, 0xFF336699, 0, 0}, {1, -1, 0.5f, 0xFF336699, 0, 0}, {1, 1, 0.5f, 0xFF336699, 0, 0}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(::Vertex)), D3D_OK);
  End();
  // The triangle covers the lower-right half of the top-right quadrant (64 x 48 target).
  EXPECT_TRUE(ColourNear(Pixel(60, 20), 0xFF336699, 2));
  EXPECT_TRUE(ColourNear(Pixel(40, 2), 0xFF000000, 0));
  EXPECT_TRUE(ColourNear(Pixel(10, 10), 0xFF000000, 0));
  EXPECT_TRUE(ColourNear(Pixel(60, 30), 0xFF000000, 0));
}

TEST_F(DeviceShaders, ConstantsPersistAcrossShaderChangesAndFrames) {
  const DWORD vsA = MakeVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, c20\n");
  const DWORD vsB = MakeVertexShader("vs.1.1\nmov oPos, v0\nadd oD0, c20, c21\n");
  const DWORD psA = MakePixelShader("ps.1.1\nmul r0, v0, c0\n");
  const DWORD psB = MakePixelShader("ps.1.1\ndef c1, 0.25, 0.5, 0.75, 1\nmul r0, v0, c1\n");
  SetVs(20, 0.2f, 0.4f, 0.6f, 1);
  SetVs(21, 0.2f, 0.2f, 0.2f, 0);
  SetPs(0, 1, 0.5f, 1, 1);
  SetPs(1, 0, 0, 1, 1);
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    Begin();
    device->SetVertexShader(vsA);
    device->SetPixelShader(psA);
    Quad(-1, -1, -0.34f, 1);
    device->SetVertexShader(vsB);
    device->SetPixelShader(psB);
    Quad(-0.33f, -1, 0.33f, 1);
    device->SetVertexShader(vsA);
    device->SetPixelShader(psA);
    Quad(0.34f, -1, 1, 1);
    End();
    EXPECT_TRUE(ColourNear(Pixel(5, 24), Argb(0.2f, 0.2f, 0.6f), 2));
    EXPECT_TRUE(ColourNear(Pixel(32, 24), Argb(0.1f, 0.3f, 0.6f), 2));
    EXPECT_TRUE(ColourNear(Pixel(58, 24), Argb(0.2f, 0.2f, 0.6f), 2));
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  }
  // def loaded c1 when psB was set; a later SetPixelShaderConstant overrides it until psB is
  // set again.
  float c1[4] = {};
  ASSERT_EQ(device->GetPixelShaderConstant(1, c1, 1), D3D_OK);
  EXPECT_EQ(c1[0], 0.25f);
  EXPECT_EQ(c1[2], 0.75f);
  Begin();
  device->SetVertexShader(vsB);
  device->SetPixelShader(psB);
  SetPs(1, 1, 1, 0, 1);
  Quad(-1, -1, 0, 1);
  device->SetPixelShader(psB);
  Quad(0, -1, 1, 1);
  End();
  EXPECT_TRUE(ColourNear(Pixel(16, 24), Argb(0.4f, 0.6f, 0), 2));
  EXPECT_TRUE(ColourNear(Pixel(48, 24), Argb(0.1f, 0.3f, 0.6f), 2));
}

TEST_F(DeviceShaders, DeclaredConstantsLoadWhenTheShaderIsSet) {
  const DWORD declaration[] = {0x20000000, 0x40020000, 0x8200001E,  // D3DVSD_CONST(30, 1)
                               FloatBits(0.25f), FloatBits(0.5f), FloatBits(0.75f), FloatBits(1.0f), 0xFFFFFFFF};
  const DWORD vs = MakeVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, c30\n", declaration);
  const DWORD ps = MakePixelShader("ps.1.1\nmov r0, v0\n");
  SetVs(30, 1, 1, 1, 1);
  Begin();
  device->SetVertexShader(vs);
  device->SetPixelShader(ps);
  Quad(-1, -1, 1, 1);
  End();
  EXPECT_TRUE(ColourNear(Pixel(32, 24), Argb(0.25f, 0.5f, 0.75f), 2));
  float c30[4] = {};
  device->GetVertexShaderConstant(30, c30, 1);
  EXPECT_EQ(c30[1], 0.5f);
}

TEST_F(DeviceShaders, VertexShaderFeedsTheFixedFunctionPixelStage) {
  const DWORD vs = MakeVertexShader("vs.1.1\nmov oPos, v0\nmul oD0, v5, c0\nmov oT0, v3\n");
  IDirect3DTexture8* texture = MakeTexture(4, 4, [](UINT, UINT) { return 0xFF8080FFu; });
  SetVs(0, 1, 0.5f, 1, 1);
  Begin();
  device->SetVertexShader(vs);
  device->SetPixelShader(0);
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  Quad(-1, -1, 1, 1, 0xFFFFFFFF);
  End();
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_TRUE(ColourNear(Pixel(32, 24), Argb(0x80 / 255.0f, 0x40 / 255.0f, 1), 2));
}

TEST_F(DeviceShaders, PixelShaderAfterPretransformedVertices) {
  // The overlay path: XYZRHW vertices through the fixed vertex stage into a pixel shader whose
  // c0 carries the strength.
  const DWORD ps = MakePixelShader("ps.1.1\ntex t0\nmul r0, t0, c0\n");
  IDirect3DTexture8* texture = MakeTexture(4, 4, [](UINT x, UINT) { return x < 2 ? 0xFFFF8040u : 0xFF40C0FFu; });
  Begin();
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetPixelShader(ps);
  SetPs(0, 0.5f, 0.5f, 0.5f, 0.5f);
  device->SetVertexShader(kScreenFvf);
  DrawRect(8, 8, 56, 40, 0xFFFFFFFF);
  End();
  device->SetTexture(0, nullptr);
  texture->Release();
  EXPECT_TRUE(ColourNear(Pixel(12, 20), Argb(0.5f, 0x40 / 255.0f, 0x20 / 255.0f), 2));
  EXPECT_TRUE(ColourNear(Pixel(50, 20), Argb(0x20 / 255.0f, 0x60 / 255.0f, 0.5f), 2));
  EXPECT_TRUE(ColourNear(Pixel(4, 4), 0xFF000000, 0));
}

TEST_F(DeviceShaders, TexbemReadsTheStageBumpMatrix) {
  const DWORD vs = MakeVertexShader("vs.1.1\nmov oPos, v0\nmov oT0, c0\nmov oT1, c1\n");
  const DWORD ps = MakePixelShader("ps.1.1\ntex t0\ntexbem t1, t0\nmov r0, t1\n");
  IDirect3DTexture8* offsets = MakeTexture(2, 2, [](UINT, UINT) { return 0xFF800000u; });  // du 0.5
  IDirect3DTexture8* quadrants = MakeTexture(4, 4, [](UINT x, UINT y) {
    return y < 2 ? (x < 2 ? 0xFFFF0000u : 0xFF00FF00u) : 0xFF0000FFu;
  });
  SetVs(0, 0.5f, 0.5f, 0, 1);
  SetVs(1, 0.1f, 0.1f, 0, 1);
  for (float m00 : {1.0f, 0.0f}) {
    Begin();
    device->SetVertexShader(vs);
    device->SetPixelShader(ps);
    device->SetTexture(0, offsets);
    device->SetTexture(1, quadrants);
    for (DWORD s = 0; s < 2; ++s) {
      device->SetTextureStageState(s, D3DTSS_MINFILTER, D3DTEXF_POINT);
      device->SetTextureStageState(s, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    }
    device->SetTextureStageState(1, D3DTSS_BUMPENVMAT00, FloatBits(m00));
    device->SetTextureStageState(1, D3DTSS_BUMPENVMAT11, FloatBits(m00));
    Quad(-1, -1, 1, 1);
    End();
    EXPECT_TRUE(ColourNear(Pixel(32, 24), m00 != 0 ? 0xFF00FF00u : 0xFFFF0000u, 2)) << m00;
  }
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  offsets->Release();
  quadrants->Release();
}

TEST_F(DeviceShaders, CubeTextureLookupDirection) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  const uint32_t faceColour[6] = {0, 0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFF808080, 0xFF000080};
  for (int face = 0; face < 6; ++face) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        // +X: top-left red, top-right green, bottom half blue.
        uint32_t c = face ? faceColour[face] : (y < 2 ? (x < 2 ? 0xFFFF0000u : 0xFF00FF00u) : 0xFF0000FFu);
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, &c, 4);
      }
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  const DWORD vs = MakeVertexShader("vs.1.1\nmov oPos, v0\nmov oT0, c0\n");
  const DWORD ps = MakePixelShader("ps.1.1\ntex t0\nmov r0, t0\n");
  struct Case {
    float x, y, z;
    uint32_t colour;
  };
  const Case cases[] = {
      {1, 0.5f, -0.5f, 0xFF00FF00}, {1, 0.5f, 0.5f, 0xFFFF0000}, {1, -0.5f, 0, 0xFF0000FF},
      {-1, 0.1f, 0.1f, 0xFF00FFFF}, {0.1f, 1, 0.1f, 0xFFFF00FF}, {0.1f, -1, 0.1f, 0xFFFFFF00},
      {0.1f, 0.1f, 1, 0xFF808080},  {0.1f, 0.1f, -1, 0xFF000080},
  };
  for (const Case& c : cases) {
    Begin();
    device->SetVertexShader(vs);
    device->SetPixelShader(ps);
    device->SetTexture(0, cube);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    SetVs(0, c.x, c.y, c.z, 0);
    Quad(-1, -1, 1, 1);
    End();
    EXPECT_TRUE(ColourNear(Pixel(32, 24), c.colour, 2)) << c.x << "," << c.y << "," << c.z;
  }
  device->SetTexture(0, nullptr);
  cube->Release();
}

TEST_F(DeviceShaders, MalformedStreamsAreRejectedAndTheDeviceGoesOn) {
  const std::vector<std::vector<DWORD>> bad = {
      {0xFFFF0101, 0x00000005, 0x800F0000, 0x0000FFFF},               // truncated instruction
      {0xFFFF0101, 0x0000005A, 0x0000FFFF},                           // unknown opcode
      {0xFFFF0101, 0x00000001, 0x800F0000, 0xA0E40008, 0x0000FFFF},   // c8 in ps.1.1
      {0xFFFF0101, 0x00000042, 0xB00F0000},                           // no end token
      {0xFFFF0101, 0x7FFFFFFE, 0x0000FFFF},                           // huge comment
      {0xFFFE0101, 0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF},   // a vertex shader
  };
  for (const auto& stream : bad) {
    // No length travels with the pointer: each stream sits in a long run of nop words.
    std::vector<DWORD> words = stream;
    words.resize(40000, 0);
    DWORD handle = 0xDEADBEEF;
    EXPECT_EQ(device->CreatePixelShader(words.data(), &handle), D3DERR_INVALIDCALL);
    EXPECT_EQ(handle, 0xDEADBEEFu);
    words[0] = 0xFFFE0101;
    if (stream[0] == 0xFFFE0101) words[0] = 0xFFFF0101;
    EXPECT_EQ(device->CreateVertexShader(kDeclaration, words.data(), &handle, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(handle, 0xDEADBEEFu);
  }
  EXPECT_EQ(device->SetPixelShader(77), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShader(0x4001), D3DERR_INVALIDCALL);

  // Valid shaders still draw, and a draw with a deleted shader is skipped.
  const DWORD vs = MakeVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, v5\n");
  const DWORD ps = MakePixelShader("ps.1.1\nmov r0, v0\n");
  Begin();
  device->SetVertexShader(vs);
  device->SetPixelShader(ps);
  Quad(-1, -1, 1, 1, 0xFF20C040);
  ASSERT_EQ(device->DeletePixelShader(ps), D3D_OK);
  const DWORD ps2 = MakePixelShader("ps.1.1\nmov r0, c0\n");
  ASSERT_EQ(device->DeleteVertexShader(vs), D3D_OK);
  device->SetPixelShader(ps2);
  EXPECT_EQ(device->SetVertexShader(vs), D3DERR_INVALIDCALL);  // deleted
  // Nothing that could draw is bound: the draw is skipped (the device says so once).
  const ::Vertex v[3] = {{-1, -1, 0.5f, 0xFFFFFFFF, 0, 0}, {1, -1, 0.5f, 0xFFFFFFFF, 0, 0}, {1, 1, 0.5f, 0xFFFFFFFF, 0, 0}};
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(::Vertex));
  End();
  EXPECT_TRUE(ColourNear(Pixel(32, 24), 0xFF20C040, 2));
}
