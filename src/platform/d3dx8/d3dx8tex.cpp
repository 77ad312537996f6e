#include "d3dx8tex.h"

#include <algorithm>
#include <string>

#include "texture_image.h"

namespace {

using namespace platform::d3dx8;

uint32_t FilterKind(DWORD filter, uint32_t byDefault) {
  if (filter == D3DX_DEFAULT) return byDefault;
  const uint32_t kind = filter & 0xFF;
  return kind == 0 ? byDefault : kind;
}

// Writes every level: the base image, then each level filtered from the one above.
HRESULT FillLevels(IDirect3DTexture8* texture, Image level, UINT levels, D3DFORMAT format,
                   uint32_t mipFilter) {
  for (UINT i = 0; i < levels; ++i) {
    if (i > 0) {
      level = Resize(level, MipExtent(level.width, 1), MipExtent(level.height, 1), mipFilter);
    }
    D3DLOCKED_RECT locked = {};
    HRESULT hr = texture->LockRect(i, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    const bool written = locked.pBits && locked.Pitch > 0 &&
                         ConvertPixels(level, uint32_t(format), locked.pBits, size_t(locked.Pitch));
    texture->UnlockRect(i);
    if (!written) return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(
    LPDIRECT3DDEVICE8 pDevice, const void* pSrcData, UINT SrcDataSize, UINT Width, UINT Height,
    UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
    D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* /*pPalette*/,
    LPDIRECT3DTEXTURE8* ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;

  DecodedImage decoded;
  std::string error;
  if (!DecodeImageFile(pSrcData, SrcDataSize, &decoded, &error)) return D3DXERR_INVALIDDATA;
  if (pSrcInfo) {
    pSrcInfo->Width = decoded.image.width;
    pSrcInfo->Height = decoded.image.height;
    pSrcInfo->Depth = 1;
    pSrcInfo->MipLevels = 1;
    pSrcInfo->Format = D3DFORMAT(decoded.sourceFormat);
    pSrcInfo->ResourceType = D3DRTYPE_TEXTURE;
    pSrcInfo->ImageFileFormat = D3DXIMAGE_FILEFORMAT(decoded.kind);
  }

  const UINT width = (Width == 0 || Width == D3DX_DEFAULT) ? decoded.image.width : Width;
  const UINT height = (Height == 0 || Height == D3DX_DEFAULT) ? decoded.image.height : Height;
  if (width > kMaxImageSide || height > kMaxImageSide) return D3DERR_INVALIDCALL;
  D3DFORMAT format = Format;
  if (format == D3DFMT_UNKNOWN || DWORD(format) == D3DX_DEFAULT) {
    format = decoded.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  if (BytesPerPixel(uint32_t(format)) == 0) format = D3DFMT_A8R8G8B8;
  const UINT fullChain = FullMipCount(width, height);
  const UINT levels =
      (MipLevels == 0 || MipLevels == D3DX_DEFAULT) ? fullChain : std::min(MipLevels, fullChain);

  if (ColorKey != 0) ApplyColorKey(&decoded.image, ColorKey);
  Image base = Resize(decoded.image, width, height, FilterKind(Filter, kFilterTriangle));
  decoded.image = Image();
  const uint32_t mipFilter = FilterKind(MipFilter, kFilterBox);

  IDirect3DTexture8* texture = nullptr;
  HRESULT hr = pDevice->CreateTexture(width, height, levels, Usage, format, Pool, &texture);
  if (FAILED(hr) && format != D3DFMT_A8R8G8B8) {
    // The device does not take that format: use the one every device takes.
    format = D3DFMT_A8R8G8B8;
    hr = pDevice->CreateTexture(width, height, levels, Usage, format, Pool, &texture);
  }
  if (FAILED(hr) || !texture) return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
  const UINT madeLevels = std::min<UINT>(levels, texture->GetLevelCount());

  hr = FillLevels(texture, base, madeLevels, format, mipFilter);
  if (FAILED(hr) && Pool == D3DPOOL_DEFAULT) {
    // A texture in video memory may refuse to be locked: fill a system-memory twin and
    // let the device copy it over.
    IDirect3DTexture8* staging = nullptr;
    hr = pDevice->CreateTexture(width, height, madeLevels, 0, format, D3DPOOL_SYSTEMMEM, &staging);
    if (SUCCEEDED(hr) && staging) {
      hr = FillLevels(staging, base, madeLevels, format, mipFilter);
      if (SUCCEEDED(hr)) hr = pDevice->UpdateTexture(staging, texture);
      staging->Release();
    } else if (SUCCEEDED(hr)) {
      hr = D3DERR_INVALIDCALL;
    }
  }
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(LPDIRECT3DDEVICE8 pDevice, const void* pSrcData,
                                                 UINT SrcDataSize, LPDIRECT3DTEXTURE8* ppTexture) {
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT,
                                             D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                             D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                             nullptr, nullptr, ppTexture);
}
