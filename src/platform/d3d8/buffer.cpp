#include <algorithm>
#include <utility>

#include "device.h"
#include "resources.h"

namespace platform::d3d8 {

BufferStorage::BufferStorage(Device* device, GLenum target, UINT size, DWORD usage, D3DPOOL pool)
    : device(device), glTarget(target), size(size), usage(usage), pool(pool), memory(size, 0) {
  glGenBuffers(1, &glBuffer);
  glBindBuffer(GL_COPY_WRITE_BUFFER, glBuffer);
  glBufferData(GL_COPY_WRITE_BUFFER, size, memory.data(),
               (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

BufferStorage::~BufferStorage() {
  device->ForgetBuffer(glBuffer);
  glDeleteBuffers(1, &glBuffer);
}

HRESULT BufferStorage::Lock(UINT offset, UINT bytes, BYTE** data, DWORD flags) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  // Size 0 locks from the offset to the end.
  if (offset > size) return D3DERR_INVALIDCALL;
  if (bytes == 0) bytes = size - offset;
  if (bytes > size - offset) return D3DERR_INVALIDCALL;
  // The system-memory copy always holds the last bytes written, so DISCARD and NOOVERWRITE
  // need nothing more than an upload of the written range before the next draw.
  if (!(flags & D3DLOCK_READONLY)) {
    if (lockDepth_ == 0 || !lockWrites_) {
      lockBegin_ = offset;
      lockEnd_ = offset + bytes;
    } else {
      lockBegin_ = std::min(lockBegin_, offset);
      lockEnd_ = std::max(lockEnd_, offset + bytes);
    }
    lockWrites_ = true;
  }
  ++lockDepth_;
  *data = memory.data() + offset;
  return D3D_OK;
}

HRESULT BufferStorage::Unlock() {
  if (lockDepth_ == 0) return D3DERR_INVALIDCALL;
  if (--lockDepth_ > 0) return D3D_OK;
  if (lockWrites_ && lockEnd_ > lockBegin_) {
    ++version;
    if (dirtyEnd_ > dirtyBegin_) {
      dirtyBegin_ = std::min(dirtyBegin_, lockBegin_);
      dirtyEnd_ = std::max(dirtyEnd_, lockEnd_);
    } else {
      dirtyBegin_ = lockBegin_;
      dirtyEnd_ = lockEnd_;
    }
  }
  lockWrites_ = false;
  return D3D_OK;
}

void BufferStorage::Upload() {
  if (dirtyEnd_ <= dirtyBegin_) return;
  glBindBuffer(GL_COPY_WRITE_BUFFER, glBuffer);
  if (dirtyBegin_ == 0 && dirtyEnd_ == size) {
    // Whole-buffer rewrites get fresh storage, so draws still queued on the old bytes never
    // make the upload wait.
    glBufferData(GL_COPY_WRITE_BUFFER, size, memory.data(),
                 (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
  } else {
    glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_,
                    memory.data() + dirtyBegin_);
  }
  dirtyBegin_ = dirtyEnd_ = 0;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : storage(device, GL_ARRAY_BUFFER, length, usage, pool), fvf(fvf) {}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  storage.device->AddRef();
  *out = storage.device;
  return D3D_OK;
}
DWORD VertexBuffer::SetPriority(DWORD priority) { return std::exchange(priority_, priority); }
DWORD VertexBuffer::GetPriority() { return priority_; }
void VertexBuffer::PreLoad() { storage.Upload(); }
HRESULT VertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
  return storage.Lock(offset, size, data, flags);
}
HRESULT VertexBuffer::Unlock() { return storage.Unlock(); }
HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Format = D3DFMT_VERTEXDATA;
  desc->Type = D3DRTYPE_VERTEXBUFFER;
  desc->Usage = storage.usage;
  desc->Pool = storage.pool;
  desc->Size = storage.size;
  desc->FVF = fvf;
  return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool)
    : storage(device, GL_ELEMENT_ARRAY_BUFFER, length, usage, pool), format(format) {}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  storage.device->AddRef();
  *out = storage.device;
  return D3D_OK;
}
DWORD IndexBuffer::SetPriority(DWORD priority) { return std::exchange(priority_, priority); }
DWORD IndexBuffer::GetPriority() { return priority_; }
void IndexBuffer::PreLoad() { storage.Upload(); }
HRESULT IndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
  return storage.Lock(offset, size, data, flags);
}
HRESULT IndexBuffer::Unlock() { return storage.Unlock(); }
HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  desc->Format = format;
  desc->Type = D3DRTYPE_INDEXBUFFER;
  desc->Usage = storage.usage;
  desc->Pool = storage.pool;
  desc->Size = storage.size;
  return D3D_OK;
}

}  // namespace platform::d3d8
