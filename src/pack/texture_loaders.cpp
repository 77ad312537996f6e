#include "pack/texture_loaders.h"

#include <d3dx8tex.h>

#include "app/window_and_device.h"
#include "pack/jpeg_decode.h"
#include "pack/pack_file.h"

namespace {

IDirect3DTexture8* CreateTexture(const unsigned char* data, DWORD size, D3DPOOL pool) {
  IDirect3DTexture8* texture = nullptr;
  if (FAILED(D3DXCreateTextureFromFileInMemoryEx(device, data, size, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                 0, D3DFMT_A8R8G8B8, pool, D3DX_FILTER_LINEAR,
                                                 D3DX_FILTER_LINEAR, 0, nullptr, nullptr,
                                                 &texture))) {
    return nullptr;
  }
  return texture;
}

}  // namespace

IDirect3DTexture8* LoadJpegTexture(const char* name) {
  unsigned char* dib = nullptr;
  DWORD dibSize = 0;
  if (!DecodeJpeg(name, &dib, &dibSize)) return nullptr;
  IDirect3DTexture8* texture = CreateTexture(dib, dibSize, D3DPOOL_DEFAULT);
  delete[] dib;
  return texture;
}

IDirect3DTexture8* LoadPackedTexture(const char* name, D3DPOOL pool) {
  unsigned char* data = ExtractFromPack(name);
  IDirect3DTexture8* texture = CreateTexture(data, packFile.lastSize, pool);
  delete[] data;
  return texture;
}
