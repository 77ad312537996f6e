#include "effects/render_target.h"

#include <cstdio>

#include "app/window_and_device.h"

RenderTarget sceneTarget;
RenderTarget glowTargetA;
RenderTarget glowTargetB;

void RenderTarget::Create() {
  if (!device) return;
  HRESULT result = device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                         D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                         D3DPOOL_DEFAULT, &texture);
  device->GetRenderTarget(&savedColourSurface);
  device->GetDepthStencilSurface(&savedDepthSurface);
  if (FAILED(result) || !texture) {
    // Without its texture the target stays inert: Begin and End leave the device as it is,
    // and whatever samples the missing texture reads nothing.
    std::fprintf(stderr, "Render target of %gx%g cannot be created (error 0x%08X)\n", width,
                 height, static_cast<unsigned>(result));
    texture = nullptr;
    return;
  }
  texture->GetSurfaceLevel(0, &surface);
  device->SetRenderTarget(surface, savedDepthSurface);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderTarget(savedColourSurface, savedDepthSurface);
}

void RenderTarget::Begin(bool clear) {
  if (!device || !surface) return;
  device->SetRenderTarget(surface, savedDepthSurface);
  if (clear) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  }
}

void RenderTarget::End() {
  if (!device || !savedColourSurface) return;
  device->SetRenderTarget(savedColourSurface, savedDepthSurface);
}
