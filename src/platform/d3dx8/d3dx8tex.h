// D3DX8 stand-in: texture creation from an image file held in memory.
#pragma once

#include "d3dx8core.h"

#ifndef D3DXERR_INVALIDDATA
#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)
#endif

enum D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// Makes a texture from a BMP, a bare DIB (BITMAPINFOHEADER first), JPEG, TGA, PNG or PPM
// file. The file kind comes from its bytes. Width and height D3DX_DEFAULT (or 0) keep the
// image's size, whatever it is: this device takes any size. MipLevels 0 or D3DX_DEFAULT make
// the whole chain down to 1 x 1, each level filtered from the one above with MipFilter.
// Format D3DFMT_UNKNOWN picks A8R8G8B8 or X8R8G8B8 by whether the image has alpha; a format
// the loader or the device does not take falls back to A8R8G8B8. A non-zero ColorKey turns
// pixels of that exact 0xAARRGGBB colour into transparent black. Damaged or unknown data gives
// D3DXERR_INVALIDDATA and no texture; pPalette is never written (images come out as colour).
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(
    LPDIRECT3DDEVICE8 pDevice, const void* pSrcData, UINT SrcDataSize, UINT Width, UINT Height,
    UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
    D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
    LPDIRECT3DTEXTURE8* ppTexture);

// The same with every choice left to the defaults, in the managed pool.
HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, const void* pSrcData,
                                                 UINT SrcDataSize, LPDIRECT3DTEXTURE8* ppTexture);
