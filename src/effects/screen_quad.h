// The textured, pre-transformed quad that brings render targets back to the screen, and the
// glow composition built on it.
#pragma once

#include <d3d8.h>

// A pre-transformed vertex, 28 bytes: position in pixels (origin top left), depth, reciprocal
// w, colour, texture coordinates.
struct ScreenVertex {
  float x, y;
  float z;
  float rhw;
  D3DCOLOR colour;
  float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "ScreenVertex is 28 bytes");

constexpr DWORD kScreenVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144

struct ScreenQuad {
  // Makes the four-vertex buffer; once, after the device exists.
  void CreateQuad();
  // Draws the texture of stage 0 over the whole screen, with the blend factors the caller set.
  void DrawFullScreen();
  // The same over the rectangle (0, 0)-(w, h).
  void DrawSized(INT w, INT h);
  // Adds glow target A over the current render target.
  void ComposeGlow();

  INT intensity = 255;  // grey level of the vertex colours, 0..255
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;

 private:
  void Draw(float w, float h);
};

extern ScreenQuad screenQuad;
