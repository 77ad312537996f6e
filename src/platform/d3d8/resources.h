// The resource objects: surfaces, textures, cube textures, vertex and index buffers.
// Every texture level and buffer keeps its bytes in system memory in D3D's layout (rows
// packed tightly) unless the GPU alone holds it (render targets, depth surfaces); Lock hands
// out that memory, Unlock marks it dirty, and the device uploads it before the next use.
#pragma once

#include <d3d8.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "pipeline.h"
#include "ref_counted.h"

namespace platform::d3d8 {

class Device;
class TextureStorage;

class Surface final : public IDirect3DSurface8 {
 public:
  Surface(Device* device, D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice8** device) override;
  HRESULT GetContainer(IDirect3DBaseTexture8** container) override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  UINT Pitch() const;
  bool HasMemory() const { return !memory.empty(); }
  bool OnGpu() const { return glTexture != 0 || glRenderbuffer != 0; }
  // Sends the system-memory copy to the GL texture when it changed.
  void Upload();
  // Frees a surface that belongs to no texture; textures free their own levels.
  void Destroy();

  Device* device;
  TextureStorage* owner = nullptr;  // the texture this surface is a level of, if any
  IDirect3DBaseTexture8* ownerInterface = nullptr;
  D3DFORMAT format;
  UINT width;
  UINT height;
  DWORD usage;
  D3DPOOL pool;
  GLuint glTexture = 0;           // texture holding this image (shared with the owner)
  GLenum glImageTarget = GL_TEXTURE_2D;  // GL_TEXTURE_2D or a cube face
  GLint glLevel = 0;
  GLuint glRenderbuffer = 0;      // depth-stencil surfaces
  std::vector<uint8_t> memory;
  bool dirty = false;
  bool locked = false;

 private:
  ~Surface();
  ULONG refs_ = 1;
};

// The levels (and faces) of a 2D or cube texture and their GL texture.
class TextureStorage {
 public:
  TextureStorage(Device* device, IDirect3DBaseTexture8* self, TextureKind kind, UINT width,
                 UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~TextureStorage();

  Surface* Level(UINT face, UINT level) const { return surfaces_[face * levels + level]; }
  // Uploads every level that changed since the last use.
  void Upload();
  void MarkDirty() { dirty = true; }

  Device* device;
  TextureKind kind;
  GLenum glTarget;
  GLuint glTexture = 0;
  UINT width;
  UINT height;
  UINT levels;
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD lod = 0;
  bool dirty = false;

 private:
  std::vector<Surface*> surfaces_;
};

// Gives the device the storage behind a texture interface it was handed.
TextureStorage* StorageOf(IDirect3DBaseTexture8* texture);

class Texture final : public RefCounted<IDirect3DTexture8> {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
          D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override;
  void PreLoad() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD SetLOD(DWORD lod) override;
  DWORD GetLOD() override;
  DWORD GetLevelCount() override;
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                   DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  HRESULT AddDirtyRect(const RECT* rect) override;

  TextureStorage storage;

 private:
  DWORD priority_ = 0;
};

class CubeTexture final : public RefCounted<IDirect3DCubeTexture8> {
 public:
  CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override;
  void PreLoad() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  DWORD SetLOD(DWORD lod) override;
  DWORD GetLOD() override;
  DWORD GetLevelCount() override;
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level,
                            IDirect3DSurface8** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* lockedRect,
                   const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT* rect) override;

  TextureStorage storage;

 private:
  DWORD priority_ = 0;
};

// Bytes of a vertex or index buffer and the GL buffer they are drawn from.
class BufferStorage {
 public:
  BufferStorage(Device* device, GLenum target, UINT size, DWORD usage, D3DPOOL pool);
  ~BufferStorage();

  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
  HRESULT Unlock();
  // Uploads the bytes written since the last use.
  void Upload();

  Device* device;
  GLenum glTarget;
  GLuint glBuffer = 0;
  UINT size;
  DWORD usage;
  D3DPOOL pool;
  std::vector<uint8_t> memory;
  uint32_t version = 0;  // counts unlocks that wrote

 private:
  UINT dirtyBegin_ = 0;
  UINT dirtyEnd_ = 0;
  UINT lockBegin_ = 0;
  UINT lockEnd_ = 0;
  int lockDepth_ = 0;
  bool lockWrites_ = false;
};

class VertexBuffer final : public RefCounted<IDirect3DVertexBuffer8> {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override;
  void PreLoad() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  BufferStorage storage;
  DWORD fvf;

 private:
  DWORD priority_ = 0;
};

class IndexBuffer final : public RefCounted<IDirect3DIndexBuffer8> {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  HRESULT GetDevice(IDirect3DDevice8** device) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override;
  void PreLoad() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  BufferStorage storage;
  D3DFORMAT format;

 private:
  DWORD priority_ = 0;
};

}  // namespace platform::d3d8
