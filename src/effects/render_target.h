// An off-screen colour texture that drawing can be redirected into and then read as a texture.
#pragma once

#include <d3d8.h>

class RenderTarget {
 public:
  virtual ~RenderTarget() {}

  // Creates the texture and remembers the device's current colour and depth surfaces. A new
  // target reads opaque black, and the device is left drawing where it was.
  void Create();
  // Makes this target the device's render target (the viewport becomes the whole target),
  // clearing it to opaque black first when `clear` is true.
  void Begin(bool clear);
  // Makes the colour surface saved by Create the render target again.
  void End();

  float width = 256.0f;
  float height = 256.0f;
  IDirect3DTexture8* texture = nullptr;
  IDirect3DSurface8* surface = nullptr;
  IDirect3DSurface8* savedColourSurface = nullptr;
  IDirect3DSurface8* savedDepthSurface = nullptr;
};

extern RenderTarget sceneTarget;
extern RenderTarget glowTargetA;
extern RenderTarget glowTargetB;
