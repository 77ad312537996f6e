// D3DX8 stand-in: cube textures, and their lower mip levels made from a
// level above.
#pragma once

#include <d3d8.h>

struct PALETTEENTRY;

#ifndef D3DX_DEFAULT
#define D3DX_DEFAULT ((UINT)-1)
#endif

#ifndef D3DX_FILTER_NONE
#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)
#endif

// The device's cube texture; levels 0 (or D3DX_DEFAULT) asks for the whole
// chain down to 1 x 1, and an edge of 0 or D3DX_DEFAULT for 256.
HRESULT WINAPI D3DXCreateCubeTexture(LPDIRECT3DDEVICE8 pDevice, UINT Size, UINT MipLevels, DWORD Usage,
                                     D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DCUBETEXTURE8* ppCubeTexture);

// Fills every level below SrcLevel of all six faces, each level from the one
// above it. Linear, triangle and box filters (and D3DX_DEFAULT) average each
// 2 x 2 block; point and none take its first texel. 32-bit colour formats
// (A8R8G8B8, X8R8G8B8) only: others give D3DERR_INVALIDCALL. The palette is
// not used.
HRESULT WINAPI D3DXFilterCubeTexture(LPDIRECT3DCUBETEXTURE8 pCubeTexture, const PALETTEENTRY* pPalette,
                                     UINT SrcLevel, DWORD Filter);
