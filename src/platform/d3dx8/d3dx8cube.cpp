#include "d3dx8cube.h"

#include <algorithm>

HRESULT WINAPI D3DXCreateCubeTexture(LPDIRECT3DDEVICE8 pDevice, UINT Size, UINT MipLevels, DWORD Usage,
                                     D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DCUBETEXTURE8* ppCubeTexture) {
  if (!pDevice || !ppCubeTexture) return D3DERR_INVALIDCALL;
  if (Size == 0 || Size == D3DX_DEFAULT) Size = 256;
  if (MipLevels == D3DX_DEFAULT) MipLevels = 0;
  return pDevice->CreateCubeTexture(Size, MipLevels, Usage, Format, Pool, ppCubeTexture);
}

namespace {

// One level made from the level above: each texel from the 2 x 2 block it
// covers (clamped at an edge of one texel).
void Reduce(const D3DLOCKED_RECT& source, UINT sourceWidth, UINT sourceHeight, const D3DLOCKED_RECT& target,
            UINT width, UINT height, bool average) {
  const BYTE* from = static_cast<const BYTE*>(source.pBits);
  BYTE* to = static_cast<BYTE*>(target.pBits);
  for (UINT y = 0; y < height; ++y) {
    const UINT y0 = std::min(2 * y, sourceHeight - 1);
    const UINT y1 = std::min(2 * y + 1, sourceHeight - 1);
    const BYTE* row0 = from + static_cast<size_t>(y0) * source.Pitch;
    const BYTE* row1 = from + static_cast<size_t>(y1) * source.Pitch;
    BYTE* out = to + static_cast<size_t>(y) * target.Pitch;
    for (UINT x = 0; x < width; ++x) {
      const UINT x0 = std::min(2 * x, sourceWidth - 1);
      const UINT x1 = std::min(2 * x + 1, sourceWidth - 1);
      for (int channel = 0; channel < 4; ++channel) {
        const int a = row0[4 * x0 + channel];
        out[4 * x + channel] = average ? static_cast<BYTE>(
                                             (a + row0[4 * x1 + channel] + row1[4 * x0 + channel] +
                                              row1[4 * x1 + channel] + 2) / 4)
                                       : static_cast<BYTE>(a);
      }
    }
  }
}

}  // namespace

HRESULT WINAPI D3DXFilterCubeTexture(LPDIRECT3DCUBETEXTURE8 pCubeTexture, const PALETTEENTRY*, UINT SrcLevel,
                                     DWORD Filter) {
  if (!pCubeTexture) return D3DERR_INVALIDCALL;
  const DWORD levels = pCubeTexture->GetLevelCount();
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  if (SrcLevel >= levels) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  if (FAILED(pCubeTexture->GetLevelDesc(SrcLevel, &desc))) return D3DERR_INVALIDCALL;
  if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) return D3DERR_INVALIDCALL;
  const DWORD kind = Filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : (Filter & 0xFFFF);
  if (kind < D3DX_FILTER_NONE || kind > D3DX_FILTER_BOX) return D3DERR_INVALIDCALL;
  const bool average = kind >= D3DX_FILTER_LINEAR;
  for (int face = 0; face < 6; ++face) {
    const D3DCUBEMAP_FACES faceType = static_cast<D3DCUBEMAP_FACES>(face);
    for (DWORD level = SrcLevel + 1; level < levels; ++level) {
      D3DSURFACE_DESC above, below;
      pCubeTexture->GetLevelDesc(level - 1, &above);
      pCubeTexture->GetLevelDesc(level, &below);
      D3DLOCKED_RECT source, target;
      if (FAILED(pCubeTexture->LockRect(faceType, level - 1, &source, nullptr, D3DLOCK_READONLY)))
        return D3DERR_INVALIDCALL;
      if (FAILED(pCubeTexture->LockRect(faceType, level, &target, nullptr, 0))) {
        pCubeTexture->UnlockRect(faceType, level - 1);
        return D3DERR_INVALIDCALL;
      }
      Reduce(source, above.Width, above.Height, target, below.Width, below.Height, average);
      pCubeTexture->UnlockRect(faceType, level);
      pCubeTexture->UnlockRect(faceType, level - 1);
    }
  }
  return D3D_OK;
}
