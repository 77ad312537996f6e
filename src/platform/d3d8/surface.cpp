#include <cstring>

#include "device.h"
#include "format.h"
#include "resources.h"

namespace platform::d3d8 {

Surface::Surface(Device* device, D3DFORMAT format, UINT width, UINT height, DWORD usage,
                 D3DPOOL pool)
    : device(device), format(format), width(width), height(height), usage(usage), pool(pool) {}

Surface::~Surface() {
  device->ForgetSurface(this);
  if (!owner) {
    if (glTexture) glDeleteTextures(1, &glTexture);
    if (glRenderbuffer) glDeleteRenderbuffers(1, &glRenderbuffer);
  }
}

void Surface::Destroy() { delete this; }

// A level of a texture lives as long as its texture: references go to the texture.
ULONG Surface::AddRef() {
  if (ownerInterface) return ownerInterface->AddRef();
  return ++refs_;
}

ULONG Surface::Release() {
  if (ownerInterface) return ownerInterface->Release();
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  device->AddRef();
  *out = device;
  return D3D_OK;
}

HRESULT Surface::GetContainer(IDirect3DBaseTexture8** container) {
  if (!container) return D3DERR_INVALIDCALL;
  *container = ownerInterface;
  if (!ownerInterface) return D3DERR_INVALIDCALL;
  ownerInterface->AddRef();
  return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Format = format;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = usage;
  desc->Pool = pool;
  desc->Size = Pitch() * height;
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = width;
  desc->Height = height;
  return D3D_OK;
}

UINT Surface::Pitch() const { return LevelPitch(format, width); }

HRESULT Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
  if (!lockedRect) return D3DERR_INVALIDCALL;
  lockedRect->pBits = nullptr;
  lockedRect->Pitch = 0;
  // Render targets and depth buffers live on the GPU only: D3D does not lock them either.
  if (!HasMemory() || locked) return D3DERR_INVALIDCALL;
  UINT x = 0, y = 0;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left ||
        rect->bottom <= rect->top || static_cast<UINT>(rect->right) > width ||
        static_cast<UINT>(rect->bottom) > height) {
      return D3DERR_INVALIDCALL;
    }
    x = static_cast<UINT>(rect->left);
    y = static_cast<UINT>(rect->top);
  }
  lockedRect->Pitch = static_cast<INT>(Pitch());
  lockedRect->pBits = memory.data() + y * Pitch() + x * DescribeFormat(format).bytesPerPixel;
  locked = true;
  if (!(flags & D3DLOCK_READONLY)) {
    dirty = true;
    if (owner) owner->MarkDirty();
  }
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

void Surface::Upload() {
  if (!dirty || !HasMemory() || !glTexture) return;
  const FormatInfo& info = DescribeFormat(format);
  GLenum bindTarget = glImageTarget == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
  device->BindScratchTexture(bindTarget, glTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(glImageTarget, glLevel, 0, 0, width, height, info.uploadFormat,
                  info.uploadType, memory.data());
  dirty = false;
}

}  // namespace platform::d3d8
