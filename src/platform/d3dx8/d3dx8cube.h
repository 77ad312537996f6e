// D3DX8 stand-in: cube textures, and their lower mip levels made from a
// level above.
#pragma once

#include "d3dx8core.h"

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
