// The fixed-function texture stages: operations, arguments and modifiers against values
// computed here, drawn into a target with alpha so both halves of each stage are seen.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "device_fixture.h"

namespace d3d8test {
namespace {

struct Rgba {
  float r, g, b, a;
};

Rgba FromArgb(uint32_t c) {
  return {Red(c) / 255.0f, Green(c) / 255.0f, Blue(c) / 255.0f, Alpha(c) / 255.0f};
}

uint32_t ToArgb(Rgba c) {
  auto q = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  return q(c.a) << 24 | q(c.r) << 16 | q(c.g) << 8 | q(c.b);
}

// Per-channel formula on texture, diffuse and factor.
using Formula = std::function<float(float t, float d, float f)>;

struct StageCase {
  const char* name;
  DWORD colorOp, colorArg1, colorArg2, colorArg0;
  DWORD alphaOp, alphaArg1, alphaArg2, alphaArg0;
  Formula colour, alpha;
};

const uint32_t kTexture = 0x80C04020;
const uint32_t kDiffuse = 0xC0206080;
const uint32_t kFactor = 0x40A0E010;

class StageOps : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &target),
              D3D_OK);
    target->GetSurfaceLevel(0, &surface);
    IDirect3DSurface8* depth = nullptr;
    device->GetDepthStencilSurface(&depth);
    device->SetRenderTarget(surface, depth);
    depth->Release();
    texture = MakeTexture(1, 1, [](UINT, UINT) { return kTexture; });
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  }
  void TearDown() override {
    for (DWORD s = 0; s < 8; ++s) device->SetTexture(s, nullptr);
    surface->Release();
    target->Release();
    texture->Release();
    DeviceTest::TearDown();
  }
  uint32_t DrawAndRead() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawRect(0, 0, 8, 8, kDiffuse);
    return Pixel(4, 4, surface);
  }
  void SetStage(DWORD s, DWORD cop, DWORD c1, DWORD c2, DWORD c0, DWORD aop, DWORD a1, DWORD a2,
                DWORD a0) {
    device->SetTextureStageState(s, D3DTSS_COLOROP, cop);
    device->SetTextureStageState(s, D3DTSS_COLORARG1, c1);
    device->SetTextureStageState(s, D3DTSS_COLORARG2, c2);
    device->SetTextureStageState(s, D3DTSS_COLORARG0, c0);
    device->SetTextureStageState(s, D3DTSS_ALPHAOP, aop);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG1, a1);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG2, a2);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG0, a0);
  }
  IDirect3DTexture8* target = nullptr;
  IDirect3DSurface8* surface = nullptr;
  IDirect3DTexture8* texture = nullptr;
};

TEST_F(StageOps, EachOperationOnStageZero) {
  const Rgba t = FromArgb(kTexture), d = FromArgb(kDiffuse), f = FromArgb(kFactor);
  const DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR, C = D3DTA_CURRENT;
  const StageCase cases[] = {
      {"selectarg1", D3DTOP_SELECTARG1, T, D, C, D3DTOP_SELECTARG1, T, D, C,
       [](float t, float, float) { return t; }, [](float t, float, float) { return t; }},
      {"selectarg2", D3DTOP_SELECTARG2, T, D, C, D3DTOP_SELECTARG2, T, D, C,
       [](float, float d, float) { return d; }, [](float, float d, float) { return d; }},
      {"modulate", D3DTOP_MODULATE, T, D, C, D3DTOP_MODULATE, T, D, C,
       [](float t, float d, float) { return t * d; }, [](float t, float d, float) { return t * d; }},
      {"modulate2x", D3DTOP_MODULATE2X, T, D, C, D3DTOP_MODULATE2X, T, D, C,
       [](float t, float d, float) { return 2 * t * d; }, [](float t, float d, float) { return 2 * t * d; }},
      {"modulate4x", D3DTOP_MODULATE4X, T, D, C, D3DTOP_MODULATE4X, T, D, C,
       [](float t, float d, float) { return 4 * t * d; }, [](float t, float d, float) { return 4 * t * d; }},
      {"add", D3DTOP_ADD, T, D, C, D3DTOP_ADD, T, D, C,
       [](float t, float d, float) { return t + d; }, [](float t, float d, float) { return t + d; }},
      {"addsigned", D3DTOP_ADDSIGNED, T, D, C, D3DTOP_ADDSIGNED, T, D, C,
       [](float t, float d, float) { return t + d - 0.5f; }, [](float t, float d, float) { return t + d - 0.5f; }},
      {"addsigned2x", D3DTOP_ADDSIGNED2X, T, D, C, D3DTOP_ADDSIGNED2X, T, D, C,
       [](float t, float d, float) { return 2 * (t + d - 0.5f); }, [](float t, float d, float) { return 2 * (t + d - 0.5f); }},
      {"subtract", D3DTOP_SUBTRACT, T, D, C, D3DTOP_SUBTRACT, D, T, C,
       [](float t, float d, float) { return t - d; }, [](float t, float d, float) { return d - t; }},
      {"addsmooth", D3DTOP_ADDSMOOTH, T, D, C, D3DTOP_ADDSMOOTH, T, D, C,
       [](float t, float d, float) { return t + d - t * d; }, [](float t, float d, float) { return t + d - t * d; }},
      {"blenddiffusealpha", D3DTOP_BLENDDIFFUSEALPHA, T, F, C, D3DTOP_SELECTARG1, T, D, C,
       [d](float t, float, float f) { return t * d.a + f * (1 - d.a); }, [](float t, float, float) { return t; }},
      {"blendtexturealpha", D3DTOP_BLENDTEXTUREALPHA, F, D, C, D3DTOP_SELECTARG1, T, D, C,
       [t](float, float d, float f) { return f * t.a + d * (1 - t.a); }, [](float t, float, float) { return t; }},
      {"blendfactoralpha", D3DTOP_BLENDFACTORALPHA, T, D, C, D3DTOP_BLENDFACTORALPHA, T, D, C,
       [f](float t, float d, float) { return t * f.a + d * (1 - f.a); }, [f](float t, float d, float) { return t * f.a + d * (1 - f.a); }},
      {"blendcurrentalpha", D3DTOP_BLENDCURRENTALPHA, T, F, C, D3DTOP_SELECTARG1, T, D, C,
       [d](float t, float, float f) { return t * d.a + f * (1 - d.a); }, [](float t, float, float) { return t; }},
      {"modulatealpha_addcolor", D3DTOP_MODULATEALPHA_ADDCOLOR, T, D, C, D3DTOP_SELECTARG1, T, D, C,
       [t](float tc, float d, float) { return tc + t.a * d; }, [](float t, float, float) { return t; }},
      {"modulatecolor_addalpha", D3DTOP_MODULATECOLOR_ADDALPHA, T, D, C, D3DTOP_SELECTARG1, T, D, C,
       [t](float tc, float d, float) { return tc * d + t.a; }, [](float t, float, float) { return t; }},
      {"modulateinvalpha_addcolor", D3DTOP_MODULATEINVALPHA_ADDCOLOR, T, D, C, D3DTOP_SELECTARG1, T, D, C,
       [t](float tc, float d, float) { return tc + (1 - t.a) * d; }, [](float t, float, float) { return t; }},
      {"modulateinvcolor_addalpha", D3DTOP_MODULATEINVCOLOR_ADDALPHA, T, D, C, D3DTOP_SELECTARG1, T, D, C,
       [t](float tc, float d, float) { return (1 - tc) * d + t.a; }, [](float t, float, float) { return t; }},
      {"blendtexturealphapm", D3DTOP_BLENDTEXTUREALPHAPM, F, D, C, D3DTOP_BLENDTEXTUREALPHAPM, F, D, C,
       [t](float, float d, float f) { return f + d * (1 - t.a); }, [t](float, float d, float f) { return f + d * (1 - t.a); }},
      {"dotproduct3", D3DTOP_DOTPRODUCT3, T, D, C, D3DTOP_SELECTARG1, D, D, C,
       [t, d](float, float, float) {
         return 4 * ((t.r - 0.5f) * (d.r - 0.5f) + (t.g - 0.5f) * (d.g - 0.5f) + (t.b - 0.5f) * (d.b - 0.5f));
       },
       [t, d](float, float, float) {  // replicated into alpha as well
         return 4 * ((t.r - 0.5f) * (d.r - 0.5f) + (t.g - 0.5f) * (d.g - 0.5f) + (t.b - 0.5f) * (d.b - 0.5f));
       }},
      {"multiplyadd", D3DTOP_MULTIPLYADD, T, D, F, D3DTOP_MULTIPLYADD, T, D, F,
       [](float t, float d, float f) { return f + t * d; }, [](float t, float d, float f) { return f + t * d; }},
      {"lerp", D3DTOP_LERP, T, D, F, D3DTOP_LERP, T, D, F,
       [](float t, float d, float f) { return f * t + (1 - f) * d; }, [](float t, float d, float f) { return f * t + (1 - f) * d; }},
      {"complement", D3DTOP_SELECTARG1, T | D3DTA_COMPLEMENT, D, C, D3DTOP_SELECTARG1, D | D3DTA_COMPLEMENT, D, C,
       [](float t, float, float) { return 1 - t; }, [](float, float d, float) { return 1 - d; }},
      {"alphareplicate", D3DTOP_SELECTARG1, D | D3DTA_ALPHAREPLICATE, T, C, D3DTOP_SELECTARG1, F, D, C,
       [d](float, float, float) { return d.a; }, [](float, float, float f) { return f; }},
      {"complemented alpha replicate", D3DTOP_MODULATE, T, F | D3DTA_ALPHAREPLICATE | D3DTA_COMPLEMENT, C,
       D3DTOP_SELECTARG2, T, C, C,
       [f](float t, float, float) { return t * (1 - f.a); }, [](float, float d, float) { return d; }},
  };
  device->SetTexture(0, texture);
  for (const StageCase& c : cases) {
    SetStage(0, c.colorOp, c.colorArg1, c.colorArg2, c.colorArg0, c.alphaOp, c.alphaArg1,
             c.alphaArg2, c.alphaArg0);
    Rgba expected = {c.colour(t.r, d.r, f.r), c.colour(t.g, d.g, f.g), c.colour(t.b, d.b, f.b),
                     c.alpha(t.a, d.a, f.a)};
    EXPECT_TRUE(ColourNear(DrawAndRead(), ToArgb(expected), 3, true)) << c.name;
  }
}

TEST_F(StageOps, ChainsTempAndTheEndOfTheChain) {
  const Rgba t = FromArgb(kTexture), d = FromArgb(kDiffuse), f = FromArgb(kFactor);
  const DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR, C = D3DTA_CURRENT;
  device->SetTexture(0, texture);

  // Two stages: texture x diffuse, then + factor.
  SetStage(0, D3DTOP_MODULATE, T, D, C, D3DTOP_SELECTARG1, T, D, C);
  SetStage(1, D3DTOP_ADD, C, F, C, D3DTOP_SELECTARG1, C, D, C);
  EXPECT_TRUE(ColourNear(DrawAndRead(),
                         ToArgb({t.r * d.r + f.r, t.g * d.g + f.g, t.b * d.b + f.b, t.a}), 3, true));

  // Stage 0 parks the texture in TEMP; stage 1 picks the factor; stage 2 multiplies the two.
  device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
  SetStage(0, D3DTOP_SELECTARG1, T, D, C, D3DTOP_SELECTARG1, T, D, C);
  SetStage(1, D3DTOP_SELECTARG1, F, D, C, D3DTOP_SELECTARG1, F, D, C);
  SetStage(2, D3DTOP_MODULATE, D3DTA_TEMP, C, C, D3DTOP_MODULATE, D3DTA_TEMP, C, C);
  EXPECT_TRUE(ColourNear(DrawAndRead(),
                         ToArgb({t.r * f.r, t.g * f.g, t.b * f.b, t.a * f.a}), 3, true));
  device->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_CURRENT);

  // The first DISABLE ends the chain: stage 2 is never reached.
  SetStage(0, D3DTOP_SELECTARG1, T, D, C, D3DTOP_SELECTARG1, T, D, C);
  SetStage(1, D3DTOP_DISABLE, F, D, C, D3DTOP_DISABLE, F, D, C);
  SetStage(2, D3DTOP_SELECTARG1, F, D, C, D3DTOP_SELECTARG1, F, D, C);
  EXPECT_TRUE(ColourNear(DrawAndRead(), kTexture, 3, true));

  // A stage that reads a texture it does not have ends the chain there: with no texture
  // the default modulate shows the diffuse colour.
  device->SetTexture(0, nullptr);
  SetStage(0, D3DTOP_MODULATE, T, D, C, D3DTOP_SELECTARG1, T, D, C);
  SetStage(1, D3DTOP_SELECTARG1, F, D, C, D3DTOP_SELECTARG1, F, D, C);
  EXPECT_TRUE(ColourNear(DrawAndRead(), kDiffuse, 3, true));
}

TEST_F(StageOps, BumpMappingMovesTheNextStagesLookup) {
  // Stage 1 samples a 2x1 texture red | green at u = 0.25 (red). Stage 0's bump map holds
  // du = 0.5 (64 of 127), which the matrix scales by 1 in u: the lookup moves to 0.75, green.
  IDirect3DTexture8* bump = nullptr;
  ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, &bump), D3D_OK);
  D3DLOCKED_RECT locked;
  bump->LockRect(0, &locked, nullptr, 0);
  static_cast<int8_t*>(locked.pBits)[0] = 64;  // du
  static_cast<int8_t*>(locked.pBits)[1] = 0;   // dv
  bump->UnlockRect(0);
  IDirect3DTexture8* colours =
      MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
  device->SetTexture(0, bump);
  device->SetTexture(1, colours);
  device->SetTextureStageState(1, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(1, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  SetStage(0, D3DTOP_BUMPENVMAP, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1,
           D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTA_CURRENT);
  SetStage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTA_CURRENT, D3DTOP_SELECTARG1,
           D3DTA_TEXTURE, D3DTA_CURRENT, D3DTA_CURRENT);
  float one = 1.0f, zero = 0.0f;
  DWORD oneBits, zeroBits;
  std::memcpy(&oneBits, &one, 4);
  std::memcpy(&zeroBits, &zero, 4);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, zeroBits);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, zeroBits);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, zeroBits);
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, zeroBits);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  DrawRect(0, 0, 8, 8, kDiffuse, 0.25f, 0.5f, 0.25f, 0.5f);
  EXPECT_TRUE(ColourNear(Pixel(4, 4, surface), 0xFFFF0000, 2)) << "zero matrix: no offset";
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, oneBits);
  DrawRect(0, 0, 8, 8, kDiffuse, 0.25f, 0.5f, 0.25f, 0.5f);
  EXPECT_TRUE(ColourNear(Pixel(4, 4, surface), 0xFF00FF00, 2)) << "du moves u";
  // The luminance variant also scales the next stage's colour by L * scale + offset; the
  // V8U8 map has no luminance channel and reads L as one.
  float half = 0.5f, quarter = 0.25f;
  DWORD halfBits, quarterBits;
  std::memcpy(&halfBits, &half, 4);
  std::memcpy(&quarterBits, &quarter, 4);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAPLUMINANCE);
  device->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, halfBits);
  device->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, quarterBits);
  DrawRect(0, 0, 8, 8, kDiffuse, 0.25f, 0.5f, 0.25f, 0.5f);
  EXPECT_TRUE(ColourNear(Pixel(4, 4, surface), 0xFF00BF00, 2)) << "green scaled by 0.75";
  device->SetTexture(1, nullptr);
  bump->Release();
  colours->Release();
}

}  // namespace
}  // namespace d3d8test
