// Drawing: vertex input from the streams, then one GL draw call.
#include <cstring>

#include "device.h"

namespace platform::d3d8 {

namespace {

struct PrimitiveInfo {
  GLenum mode;
  UINT vertices;
};

bool DescribePrimitive(D3DPRIMITIVETYPE type, UINT count, PrimitiveInfo* info) {
  switch (type) {
    case D3DPT_POINTLIST: *info = {GL_POINTS, count}; return true;
    case D3DPT_LINELIST: *info = {GL_LINES, count * 2}; return true;
    case D3DPT_LINESTRIP: *info = {GL_LINE_STRIP, count + 1}; return true;
    case D3DPT_TRIANGLELIST: *info = {GL_TRIANGLES, count * 3}; return true;
    case D3DPT_TRIANGLESTRIP: *info = {GL_TRIANGLE_STRIP, count + 2}; return true;
    case D3DPT_TRIANGLEFAN: *info = {GL_TRIANGLE_FAN, count + 2}; return true;
    default: return false;
  }
}

void GlFormatOf(DWORD type, AttributeSource* source) {
  switch (type) {
    case D3DVSDT_FLOAT1: source->size = 1; source->type = GL_FLOAT; break;
    case D3DVSDT_FLOAT2: source->size = 2; source->type = GL_FLOAT; break;
    case D3DVSDT_FLOAT3: source->size = 3; source->type = GL_FLOAT; break;
    case D3DVSDT_D3DCOLOR:
      // Bytes B, G, R, A reach the shader as r, g, b, a in [0, 1].
      source->size = GL_BGRA;
      source->type = GL_UNSIGNED_BYTE;
      source->normalized = GL_TRUE;
      break;
    case D3DVSDT_UBYTE4: source->size = 4; source->type = GL_UNSIGNED_BYTE; break;
    case D3DVSDT_SHORT2: source->size = 2; source->type = GL_SHORT; break;
    case D3DVSDT_SHORT4: source->size = 4; source->type = GL_SHORT; break;
    default: source->size = 4; source->type = GL_FLOAT; break;
  }
}

}  // namespace

void Device::SetAttribute(int location, const AttributeSource& source) {
  uint32_t bit = 1u << location;
  if (!(enabledAttributes_ & bit)) {
    glEnableVertexAttribArray(location);
    enabledAttributes_ |= bit;
  }
  if (attributes_[location] == source) return;
  glBindBuffer(GL_ARRAY_BUFFER, source.buffer);
  glVertexAttribPointer(location, source.size, source.type, source.normalized, source.stride,
                        reinterpret_cast<const void*>(source.offset));
  attributes_[location] = source;
}

namespace {

UINT ElementBytes(DWORD type) {
  switch (type) {
    case D3DVSDT_FLOAT1: return 4;
    case D3DVSDT_FLOAT2: return 8;
    case D3DVSDT_FLOAT3: return 12;
    case D3DVSDT_FLOAT4: return 16;
    case D3DVSDT_SHORT4: return 8;
    default: return 4;
  }
}

template <class Index>
UINT LargestIndex(const uint8_t* data, UINT count) {
  UINT largest = 0;
  for (UINT i = 0; i < count; ++i) {
    Index value;
    std::memcpy(&value, data + i * sizeof(Index), sizeof(Index));
    if (value > largest) largest = value;
  }
  return largest;
}

}  // namespace

UINT Device::MaxIndex(UINT start, UINT count) {
  const BufferStorage& storage = indices_->storage;
  auto& cache = maxIndexCache_;
  if (cache.buffer == &storage && cache.version == storage.version && cache.start == start &&
      cache.count == count) {
    return cache.max;
  }
  bool wide = indices_->format == D3DFMT_INDEX32;
  const uint8_t* data = storage.memory.data() + static_cast<size_t>(start) * (wide ? 4 : 2);
  UINT largest = wide ? LargestIndex<uint32_t>(data, count) : LargestIndex<uint16_t>(data, count);
  cache.buffer = &storage;
  cache.version = storage.version;
  cache.start = start;
  cache.count = count;
  cache.max = largest;
  return largest;
}

bool Device::SetUpVertexInput(GLuint streamZeroBuffer, UINT streamZeroStride,
                              uint64_t verticesRead) {
  struct Element {
    UINT stream, offset, reg;
    DWORD type;
  };
  Element elements[kMaxVertexInputs];
  int count = 0;
  if (vertexShader_ & 1) {
    const VertexLayout& layout = vertexShaders_[(vertexShader_ >> 1) - 1]->code->layout;
    for (const VertexElement& e : layout.elements) {
      if (e.reg >= kMaxVertexInputs || e.stream >= kMaxStreams || count == kMaxVertexInputs) {
        continue;
      }
      elements[count++] = {e.stream, e.offset, e.reg, e.type};
    }
  } else {
    FvfLayout layout = DescribeFvf(vertexShader_);
    if (!layout.valid) {
      LogOnce("draw skipped: FVF " + std::to_string(vertexShader_) + " is not valid");
      return false;
    }
    for (const FvfElement& e : layout.elements) elements[count++] = {0, e.offset, e.reg, e.type};
  }
  uint32_t used = 0;
  for (int i = 0; i < count; ++i) {
    const Element& e = elements[i];
    AttributeSource source;
    if (e.stream == 0 && streamZeroBuffer) {
      source.buffer = streamZeroBuffer;
      source.stride = static_cast<GLsizei>(streamZeroStride);
    } else {
      VertexBuffer* buffer = streams_[e.stream].buffer;
      if (!buffer) {
        LogOnce("draw skipped: no vertex buffer on stream " + std::to_string(e.stream));
        return false;
      }
      // Never let GL read past the buffer, whatever the counts say.
      uint64_t stride = streams_[e.stream].stride;
      uint64_t end = e.offset + ElementBytes(e.type);
      uint64_t last = verticesRead > 0 ? (verticesRead - 1) * stride + end : 0;
      if (last > buffer->storage.size) {
        LogOnce("draw skipped: it would read past the vertex buffer on stream " +
                std::to_string(e.stream));
        return false;
      }
      buffer->storage.Upload();
      source.buffer = buffer->storage.glBuffer;
      source.stride = static_cast<GLsizei>(streams_[e.stream].stride);
    }
    source.offset = e.offset;
    GlFormatOf(e.type, &source);
    SetAttribute(static_cast<int>(e.reg), source);
    used |= 1u << e.reg;
  }
  for (int location = 0; location < kMaxVertexInputs; ++location) {
    uint32_t bit = 1u << location;
    if ((enabledAttributes_ & bit) && !(used & bit)) {
      glDisableVertexAttribArray(location);
      enabledAttributes_ &= ~bit;
    }
  }
  return true;
}

bool Device::PrepareDraw() {
  if (vertexShader_ & 1) {
    size_t index = (vertexShader_ >> 1) - 1;
    if (index >= vertexShaders_.size() || !vertexShaders_[index]) {
      LogOnce("draw skipped: the vertex shader was deleted");
      return false;
    }
  } else if ((vertexShader_ & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW &&
             renderStates_[D3DRS_LIGHTING]) {
    LogOnce("fixed-function lighting is not supported; drawing unlit");
  }
  if (programDirty_) {
    // What the fixed-function stages leave out is said once, not silently dropped.
    if (renderStates_[D3DRS_FOGENABLE]) LogOnce("fog is not supported; drawing without it");
    for (int s = 0; s < kMaxTextureStages && stageStates_[s][D3DTSS_COLOROP] != D3DTOP_DISABLE; ++s) {
      if (stageStates_[s][D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE) {
        LogOnce("texture coordinate transforms are not supported; coordinates pass unchanged");
      }
      if (stageStates_[s][D3DTSS_TEXCOORDINDEX] & 0xffff0000u) {
        LogOnce("generated texture coordinates are not supported; the set index is used");
      }
    }
  }
  if (pixelShader_ && !pixelShaders_[pixelShader_ - 1]) {
    LogOnce("draw skipped: the pixel shader was deleted");
    return false;
  }
  ApplyFramebuffer();
  ApplyViewport();
  ApplyTextures();
  if (!ApplyProgram()) return false;
  ApplyUniforms();
  ApplyRasterState();
  return true;
}

HRESULT Device::UploadStream(const void* data, UINT bytes, UINT alignment, bool indices,
                             UINT* offset) {
  GLuint buffer = indices ? indexStreamBuffer_ : streamBuffer_;
  UINT& size = indices ? indexStreamBufferSize_ : streamBufferSize_;
  UINT& cursor = indices ? indexStreamBufferOffset_ : streamBufferOffset_;
  GLenum target = indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
  if (indices && boundElementBuffer_ != buffer) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    boundElementBuffer_ = buffer;
  } else if (!indices) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
  }
  // Each draw's data starts on a whole vertex, so a draw can address it by first vertex
  // while the attribute pointers stay where they are.
  UINT start = (cursor + alignment - 1) / alignment * alignment;
  if (size < bytes || start + bytes > size) {
    UINT newSize = size;
    while (newSize < bytes * 4 || newSize < (1u << 20)) newSize = newSize ? newSize * 2 : (1u << 20);
    glBufferData(target, newSize, nullptr, GL_STREAM_DRAW);  // fresh storage, no waiting
    size = newSize;
    start = 0;
  }
  void* mapped = glMapBufferRange(target, start, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT |
                                      GL_MAP_UNSYNCHRONIZED_BIT);
  if (!mapped) return D3DERR_INVALIDCALL;
  std::memcpy(mapped, data, bytes);
  glUnmapBuffer(target);
  cursor = start + bytes;
  *offset = start;
  return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  PrimitiveInfo info;
  if (!DescribePrimitive(type, primitiveCount, &info)) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  if (!PrepareDraw() ||
      !SetUpVertexInput(0, 0, static_cast<uint64_t>(startVertex) + info.vertices)) {
    return D3DERR_INVALIDCALL;
  }
  glDrawArrays(info.mode, static_cast<GLint>(startVertex), static_cast<GLsizei>(info.vertices));
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex,
                                     UINT primitiveCount) {
  PrimitiveInfo info;
  if (!DescribePrimitive(type, primitiveCount, &info)) return D3DERR_INVALIDCALL;
  if (!indices_) return D3DERR_INVALIDCALL;
  if (primitiveCount == 0) return D3D_OK;
  UINT indexSize = indices_->format == D3DFMT_INDEX32 ? 4 : 2;
  // Never let GL read past the index buffer, whatever the counts say.
  if (startIndex > indices_->storage.size / indexSize ||
      info.vertices > indices_->storage.size / indexSize - startIndex) {
    return D3DERR_INVALIDCALL;
  }
  uint64_t verticesRead =
      static_cast<uint64_t>(baseVertexIndex_) + MaxIndex(startIndex, info.vertices) + 1;
  if (!PrepareDraw() || !SetUpVertexInput(0, 0, verticesRead)) return D3DERR_INVALIDCALL;
  indices_->storage.Upload();
  if (boundElementBuffer_ != indices_->storage.glBuffer) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->storage.glBuffer);
    boundElementBuffer_ = indices_->storage.glBuffer;
  }
  glDrawElementsBaseVertex(info.mode, static_cast<GLsizei>(info.vertices),
                           indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * indexSize),
                           static_cast<GLint>(baseVertexIndex_));
  return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                UINT stride) {
  PrimitiveInfo info;
  if (!vertices || stride == 0 || !DescribePrimitive(type, primitiveCount, &info)) {
    return D3DERR_INVALIDCALL;
  }
  if (primitiveCount == 0) return D3D_OK;
  if (!PrepareDraw()) return D3DERR_INVALIDCALL;
  UINT offset = 0;
  if (FAILED(UploadStream(vertices, info.vertices * stride, stride, false, &offset))) {
    return D3DERR_INVALIDCALL;
  }
  if (!SetUpVertexInput(streamBuffer_, stride, 0)) return D3DERR_INVALIDCALL;
  glDrawArrays(info.mode, static_cast<GLint>(offset / stride), static_cast<GLsizei>(info.vertices));
  // D3D leaves stream 0 unset after a UP draw.
  SafeRelease(streams_[0].buffer);
  streams_[0].stride = 0;
  return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                       UINT numVertexIndices, UINT primitiveCount,
                                       const void* indexData, D3DFORMAT indexFormat,
                                       const void* vertices, UINT stride) {
  PrimitiveInfo info;
  if (!vertices || !indexData || stride == 0 ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
      !DescribePrimitive(type, primitiveCount, &info)) {
    return D3DERR_INVALIDCALL;
  }
  if (primitiveCount == 0) return D3D_OK;
  if (!PrepareDraw()) return D3DERR_INVALIDCALL;
  UINT indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
  // The caller promises indices within [min, min + count); only those vertices are copied, so
  // an index beyond them is refused rather than read from someone else's memory.
  const uint8_t* indexBytes = static_cast<const uint8_t*>(indexData);
  UINT largest = indexSize == 4 ? LargestIndex<uint32_t>(indexBytes, info.vertices)
                                : LargestIndex<uint16_t>(indexBytes, info.vertices);
  if (static_cast<uint64_t>(largest) >= static_cast<uint64_t>(minVertexIndex) + numVertexIndices) {
    LogOnce("DrawIndexedPrimitiveUP: an index lies outside the vertices given");
    return D3DERR_INVALIDCALL;
  }
  UINT vertexBytes = (minVertexIndex + numVertexIndices) * stride;
  UINT vertexOffset = 0, indexOffset = 0;
  if (FAILED(UploadStream(vertices, vertexBytes, stride, false, &vertexOffset)) ||
      FAILED(UploadStream(indexData, info.vertices * indexSize, indexSize, true, &indexOffset))) {
    return D3DERR_INVALIDCALL;
  }
  if (!SetUpVertexInput(streamBuffer_, stride, 0)) return D3DERR_INVALIDCALL;
  glDrawElementsBaseVertex(info.mode, static_cast<GLsizei>(info.vertices),
                           indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(static_cast<uintptr_t>(indexOffset)),
                           static_cast<GLint>(vertexOffset / stride));
  SafeRelease(streams_[0].buffer);
  streams_[0].stride = 0;
  SafeRelease(indices_);
  return D3D_OK;
}

}  // namespace platform::d3d8
