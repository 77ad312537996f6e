#include "demo/content.h"

#include <d3d8.h>

#include "app/setup_dialog.h"
#include "app/window_and_device.h"
#include "effects/fades.h"
#include "effects/render_target.h"
#include "effects/screen_quad.h"

// The overlays, the scenes, the post effect and the digits join these steps, in their places,
// as they are built. Until the post effect exists the glow is left out: an unfiltered glow
// would only double the picture.
void SetUpContent() {
  device->SetRenderState(D3DRS_AMBIENT, 0xFF505050);
  screenQuad.CreateQuad();
  glowTargetA.Create();
  glowTargetB.Create();
  sceneTarget.width = static_cast<float>(displaySettings.width);
  sceneTarget.height = static_cast<float>(displaySettings.height);
  sceneTarget.Create();
}

void ComposeFrame() {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  sceneTarget.Begin(true);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
  sceneTarget.End();

  // The scene target onto the cleared back buffer, pixel for pixel.
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
  screenQuad.intensity = 255;
  device->SetTexture(0, sceneTarget.texture);
  screenQuad.DrawFullScreen();
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);

  // The fade cues, for the subtitle's strength in the next frame.
  UpdateFade(1);
  UpdateFade(0);
}
