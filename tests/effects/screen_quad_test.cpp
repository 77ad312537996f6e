// The full-screen quad: coverage, vertex colours, the states it leaves, and the glow.
#include <cstring>

#include "app/window_and_device.h"
#include "effects/render_target.h"
#include "effects/screen_quad.h"
#include "effects_fixture.h"

namespace {

class Quad : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    screenQuad = ScreenQuad();
    screenQuad.CreateQuad();
    ASSERT_NE(screenQuad.vertexBuffer, nullptr);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  }
  std::vector<ScreenVertex> Vertices() {
    BYTE* data = nullptr;
    screenQuad.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY);
    std::vector<ScreenVertex> v(4);
    std::memcpy(v.data(), data, 4 * sizeof(ScreenVertex));
    screenQuad.vertexBuffer->Unlock();
    return v;
  }
};

TEST_F(Quad, CreateQuadFillsTheScreenCorners) {
  std::vector<ScreenVertex> v = Vertices();
  const float expected[4][4] = {{0, 0, 0, 0}, {kWidth, 0, 1, 0}, {kWidth, kHeight, 1, 1},
                                {0, kHeight, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i][0]);
    EXPECT_EQ(v[i].y, expected[i][1]);
    EXPECT_EQ(v[i].u, expected[i][2]);
    EXPECT_EQ(v[i].v, expected[i][3]);
    EXPECT_EQ(v[i].z, 1.0f);
    EXPECT_EQ(v[i].rhw, 1.0f);
    EXPECT_EQ(v[i].colour, 0xFFFFFFFFu);
  }
}

TEST_F(Quad, DrawSizedCoversExactlyItsRectangle) {
  IDirect3DTexture8* white = SolidTexture(0xFFFFFFFF);
  glowTargetA = RenderTarget();
  glowTargetA.Create();
  struct { INT w, h; } sizes[] = {{256, 256}, {100, 50}};
  for (auto size : sizes) {
    glowTargetA.Begin(true);
    device->SetTexture(0, white);
    screenQuad.DrawSized(size.w, size.h);
    glowTargetA.End();
    std::vector<uint32_t> px = ReadBack(glowTargetA.surface);
    int wrong = 0;
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        uint32_t expected = x < size.w && y < size.h ? 0xFFFFFFFF : 0xFF000000;
        wrong += px[y * 256 + x] != expected;
      }
    }
    EXPECT_EQ(wrong, 0) << size.w << "x" << size.h;
  }
  device->SetTexture(0, nullptr);
  white->Release();
}

TEST_F(Quad, IntensityIsTheGreyOfEveryVertex) {
  IDirect3DTexture8* white = SolidTexture(0xFFFFFFFF);
  device->SetTexture(0, white);
  struct { INT intensity; uint32_t colour; } cases[] = {
      {255, 0xFFFFFFFF}, {0, 0xFF000000}, {128, 0xFF808080}};
  for (auto c : cases) {
    screenQuad.intensity = c.intensity;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    screenQuad.DrawFullScreen();
    for (const ScreenVertex& v : Vertices()) EXPECT_EQ(v.colour, c.colour);
    std::vector<uint32_t> px = ReadBack(BackBuffer());
    EXPECT_EQ(px[0], c.colour) << c.intensity;
    EXPECT_EQ(px[kWidth * kHeight - 1], c.colour) << c.intensity;
  }
  device->SetTexture(0, nullptr);
  white->Release();
}

TEST_F(Quad, DrawLeavesTheStatesTheFrameExpects) {
  IDirect3DTexture8* white = SolidTexture(0xFFFFFFFF);
  device->SetTexture(0, white);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  screenQuad.DrawFullScreen();
  DWORD value = 0;
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
      {D3DRS_CULLMODE, D3DCULL_CW}, {D3DRS_LIGHTING, TRUE}, {D3DRS_ZENABLE, TRUE},
      {D3DRS_ZWRITEENABLE, TRUE}, {D3DRS_ALPHABLENDENABLE, TRUE}};
  for (auto [state, expected] : states) {
    device->GetRenderState(state, &value);
    EXPECT_EQ(value, expected) << state;
  }
  for (auto type : {D3DTSS_MAGFILTER, D3DTSS_MINFILTER, D3DTSS_MIPFILTER}) {
    device->GetTextureStageState(0, type, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));
  }
  device->GetTextureStageState(4, D3DTSS_ADDRESSW, &value);
  EXPECT_EQ(value, DWORD(D3DTADDRESS_CLAMP));
  device->GetTextureStageState(2, D3DTSS_BUMPENVMAT11, &value);
  float scale;
  std::memcpy(&scale, &value, 4);
  EXPECT_EQ(scale, 1.0f);
  device->GetVertexShader(&value);
  EXPECT_EQ(value, kScreenVertexFvf);
  device->SetTexture(0, nullptr);
  white->Release();
}

TEST_F(Quad, SceneTargetCopiesToTheScreenAndTheGlowAddsOverIt) {
  sceneTarget = RenderTarget();
  sceneTarget.width = float(kWidth);
  sceneTarget.height = float(kHeight);
  glowTargetA = RenderTarget();
  glowTargetA.Create();
  sceneTarget.Create();
  sceneTarget.Begin(true);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
  sceneTarget.End();
  glowTargetA.Begin(true);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF401000, 1.0f, 0);
  glowTargetA.End();

  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  screenQuad.intensity = 255;
  device->SetTexture(0, sceneTarget.texture);
  screenQuad.DrawFullScreen();
  EXPECT_EQ(ReadBack(BackBuffer())[kWidth * 10 + 10], 0xFF202020u);
  screenQuad.ComposeGlow();
  std::vector<uint32_t> px = ReadBack(BackBuffer());
  EXPECT_EQ(px[kWidth * 10 + 10], 0xFF603020u);
  EXPECT_EQ(px[kWidth * kHeight - 1], 0xFF603020u);
  device->SetTexture(0, nullptr);
}

}  // namespace
