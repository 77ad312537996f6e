#include <algorithm>
#include <utility>
#include <cstring>

#include "device.h"
#include "format.h"
#include "resources.h"

namespace platform::d3d8 {

TextureStorage::TextureStorage(Device* device, IDirect3DBaseTexture8* self, TextureKind kind,
                               UINT width, UINT height, UINT levels, DWORD usage,
                               D3DFORMAT format, D3DPOOL pool)
    : device(device),
      kind(kind),
      glTarget(kind == TextureKind::Cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D),
      width(width),
      height(height),
      levels(levels),
      usage(usage),
      format(format),
      pool(pool) {
  const FormatInfo& info = DescribeFormat(format);
  bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  UINT faces = kind == TextureKind::Cube ? 6 : 1;
  glGenTextures(1, &glTexture);
  device->BindScratchTexture(glTarget, glTexture);
  glTexParameteri(glTarget, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(glTarget, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  glTexParameteriv(glTarget, GL_TEXTURE_SWIZZLE_RGBA, info.swizzle);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  for (UINT face = 0; face < faces; ++face) {
    UINT w = width, h = height;
    for (UINT level = 0; level < levels; ++level) {
      Surface* surface = new Surface(device, format, w, h, usage, pool);
      surface->owner = this;
      surface->ownerInterface = self;
      surface->glTexture = glTexture;
      surface->glImageTarget =
          kind == TextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
      surface->glLevel = static_cast<GLint>(level);
      std::vector<uint8_t> zeros;
      if (!renderTarget) {
        // Fresh textures read as zero, as their system-memory copy does.
        surface->memory.assign(static_cast<size_t>(surface->Pitch()) * h, 0);
      }
      glTexImage2D(surface->glImageTarget, surface->glLevel, info.internalFormat, w, h, 0,
                   info.uploadFormat, info.uploadType,
                   renderTarget ? nullptr : surface->memory.data());
      surfaces_.push_back(surface);
      w = std::max(1u, w / 2);
      h = std::max(1u, h / 2);
    }
  }
}

TextureStorage::~TextureStorage() {
  device->ForgetTexture(this);
  for (Surface* surface : surfaces_) surface->Destroy();
  glDeleteTextures(1, &glTexture);
}

void TextureStorage::Upload() {
  if (!dirty) return;
  for (Surface* surface : surfaces_) surface->Upload();
  dirty = false;
}

TextureStorage* StorageOf(IDirect3DBaseTexture8* texture) {
  if (!texture) return nullptr;
  if (texture->GetType() == D3DRTYPE_TEXTURE) return &static_cast<Texture*>(texture)->storage;
  if (texture->GetType() == D3DRTYPE_CUBETEXTURE) {
    return &static_cast<CubeTexture*>(texture)->storage;
  }
  return nullptr;
}

namespace {

HRESULT LevelDesc(const TextureStorage& storage, UINT level, D3DSURFACE_DESC* desc) {
  if (level >= storage.levels || !desc) return D3DERR_INVALIDCALL;
  return storage.Level(0, level)->GetDesc(desc);
}

}  // namespace

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool)
    : storage(device, this, TextureKind::Flat, width, height, levels, usage, format, pool) {}

HRESULT Texture::GetDevice(IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  storage.device->AddRef();
  *out = storage.device;
  return D3D_OK;
}
DWORD Texture::SetPriority(DWORD priority) { return std::exchange(priority_, priority); }
DWORD Texture::GetPriority() { return priority_; }
void Texture::PreLoad() { storage.Upload(); }
DWORD Texture::SetLOD(DWORD lod) { return std::exchange(storage.lod, lod); }
DWORD Texture::GetLOD() { return storage.lod; }
DWORD Texture::GetLevelCount() { return storage.levels; }
HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  return LevelDesc(storage, level, desc);
}
HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= storage.levels) return D3DERR_INVALIDCALL;
  *surface = storage.Level(0, level);
  AddRef();
  return D3D_OK;
}
HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                          DWORD flags) {
  if (level >= storage.levels) return D3DERR_INVALIDCALL;
  return storage.Level(0, level)->LockRect(lockedRect, rect, flags);
}
HRESULT Texture::UnlockRect(UINT level) {
  if (level >= storage.levels) return D3DERR_INVALIDCALL;
  return storage.Level(0, level)->UnlockRect();
}
HRESULT Texture::AddDirtyRect(const RECT*) {
  for (UINT level = 0; level < storage.levels; ++level) {
    if (storage.Level(0, level)->HasMemory()) storage.Level(0, level)->dirty = true;
  }
  storage.MarkDirty();
  return D3D_OK;
}

CubeTexture::CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool)
    : storage(device, this, TextureKind::Cube, edge, edge, levels, usage, format, pool) {}

HRESULT CubeTexture::GetDevice(IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  storage.device->AddRef();
  *out = storage.device;
  return D3D_OK;
}
DWORD CubeTexture::SetPriority(DWORD priority) { return std::exchange(priority_, priority); }
DWORD CubeTexture::GetPriority() { return priority_; }
void CubeTexture::PreLoad() { storage.Upload(); }
DWORD CubeTexture::SetLOD(DWORD lod) { return std::exchange(storage.lod, lod); }
DWORD CubeTexture::GetLOD() { return storage.lod; }
DWORD CubeTexture::GetLevelCount() { return storage.levels; }
HRESULT CubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  return LevelDesc(storage, level, desc);
}
HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                                       IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (level >= storage.levels || static_cast<UINT>(face) > 5) return D3DERR_INVALIDCALL;
  *surface = storage.Level(face, level);
  AddRef();
  return D3D_OK;
}
HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* lockedRect,
                              const RECT* rect, DWORD flags) {
  if (level >= storage.levels || static_cast<UINT>(face) > 5) return D3DERR_INVALIDCALL;
  return storage.Level(face, level)->LockRect(lockedRect, rect, flags);
}
HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  if (level >= storage.levels || static_cast<UINT>(face) > 5) return D3DERR_INVALIDCALL;
  return storage.Level(face, level)->UnlockRect();
}
HRESULT CubeTexture::AddDirtyRect(D3DCUBEMAP_FACES face, const RECT*) {
  if (static_cast<UINT>(face) > 5) return D3DERR_INVALIDCALL;
  for (UINT level = 0; level < storage.levels; ++level) {
    if (storage.Level(face, level)->HasMemory()) storage.Level(face, level)->dirty = true;
  }
  storage.MarkDirty();
  return D3D_OK;
}

}  // namespace platform::d3d8
