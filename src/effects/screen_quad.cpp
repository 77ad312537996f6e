#include "effects/screen_quad.h"

#include <cstring>

#include "app/setup_dialog.h"
#include "app/window_and_device.h"
#include "effects/render_target.h"

ScreenQuad screenQuad;

namespace {

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

void FillCorners(ScreenVertex* v, float w, float h) {
  const float corners[4][4] = {{0, 0, 0, 0}, {w, 0, 1, 0}, {w, h, 1, 1}, {0, h, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    v[i].x = corners[i][0];
    v[i].y = corners[i][1];
    v[i].u = corners[i][2];
    v[i].v = corners[i][3];
  }
}

}  // namespace

void ScreenQuad::CreateQuad() {
  if (!device) return;
  if (FAILED(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenVertexFvf,
                                        D3DPOOL_MANAGED, &vertexBuffer))) {
    vertexBuffer = nullptr;
    return;
  }
  BYTE* data = nullptr;
  if (FAILED(vertexBuffer->Lock(0, 4 * sizeof(ScreenVertex), &data, D3DLOCK_DISCARD))) return;
  ScreenVertex* v = reinterpret_cast<ScreenVertex*>(data);
  FillCorners(v, static_cast<float>(displaySettings.width),
              static_cast<float>(displaySettings.height));
  for (int i = 0; i < 4; ++i) {
    v[i].z = 1.0f;
    v[i].rhw = 1.0f;
    v[i].colour = 0xFFFFFFFF;
  }
  vertexBuffer->Unlock();
}

void ScreenQuad::DrawFullScreen() {
  Draw(static_cast<float>(displaySettings.width), static_cast<float>(displaySettings.height));
}

void ScreenQuad::DrawSized(INT w, INT h) { Draw(static_cast<float>(w), static_cast<float>(h)); }

void ScreenQuad::Draw(float w, float h) {
  if (!device || !vertexBuffer) return;
  for (DWORD stage = 0; stage < 2; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  }
  for (DWORD stage = 2; stage < 5; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
  }
  device->SetTextureStageState(2, D3DTSS_BUMPENVMAT00, FloatBits(1.0f));
  device->SetTextureStageState(2, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
  device->SetTextureStageState(2, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
  device->SetTextureStageState(2, D3DTSS_BUMPENVMAT11, FloatBits(1.0f));

  BYTE* data = nullptr;
  if (SUCCEEDED(vertexBuffer->Lock(0, 4 * sizeof(ScreenVertex), &data, D3DLOCK_DISCARD))) {
    ScreenVertex* v = reinterpret_cast<ScreenVertex*>(data);
    FillCorners(v, w, h);
    const DWORD grey = static_cast<DWORD>(intensity) & 0xff;
    const D3DCOLOR colour = D3DCOLOR_ARGB(255, grey, grey, grey);
    for (int i = 0; i < 4; ++i) v[i].colour = colour;
    vertexBuffer->Unlock();
  }

  device->SetPixelShader(0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetVertexShader(kScreenVertexFvf);
  device->SetStreamSource(0, vertexBuffer, sizeof(ScreenVertex));
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
}

void ScreenQuad::ComposeGlow() {
  if (!device) return;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  intensity = 255;
  device->SetTexture(0, glowTargetA.texture);
  DrawFullScreen();
}
