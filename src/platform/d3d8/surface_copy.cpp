// Framebuffers for surfaces, and copies between surfaces (CopyRects and its relatives).
#include <cstring>

#include "device.h"
#include "format.h"

namespace platform::d3d8 {

void Device::AttachSurface(GLenum target, Surface* surface, bool depth) {
  GLenum attachment = GL_COLOR_ATTACHMENT0;
  if (depth) {
    attachment = surface && surface->format == D3DFMT_D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT
                                                            : GL_DEPTH_ATTACHMENT;
    if (!surface) attachment = GL_DEPTH_STENCIL_ATTACHMENT;
  }
  if (!surface) {
    glFramebufferRenderbuffer(target, attachment, GL_RENDERBUFFER, 0);
  } else if (surface->glRenderbuffer) {
    glFramebufferRenderbuffer(target, attachment, GL_RENDERBUFFER, surface->glRenderbuffer);
  } else {
    glFramebufferTexture2D(target, attachment, surface->glImageTarget, surface->glTexture,
                           surface->glLevel);
  }
}

GLuint Device::FramebufferFor(Surface* colour, Surface* depth) {
  auto key = std::make_pair(colour, depth);
  auto found = framebuffers_.find(key);
  if (found != framebuffers_.end()) return found->second;
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  gl_.drawFramebuffer = framebuffer;
  if (colour) AttachSurface(GL_DRAW_FRAMEBUFFER, colour, false);
  if (depth) AttachSurface(GL_DRAW_FRAMEBUFFER, depth, true);
  GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    LogOnce("render target combination is not drawable (GL status " + std::to_string(status) + ")");
  }
  framebuffers_[key] = framebuffer;
  return framebuffer;
}

void Device::ForgetSurface(Surface* surface) {
  for (auto it = framebuffers_.begin(); it != framebuffers_.end();) {
    if (it->first.first == surface || it->first.second == surface) {
      if (gl_.drawFramebuffer == it->second) gl_.drawFramebuffer = ~0u;
      glDeleteFramebuffers(1, &it->second);
      it = framebuffers_.erase(it);
      framebufferDirty_ = true;
    } else {
      ++it;
    }
  }
}

void Device::ForgetTexture(TextureStorage* storage) {
  for (int s = 0; s < kMaxTextureStages; ++s) {
    if (textureStorage_[s] == storage) textureStorage_[s] = nullptr;
  }
  // GL unbinds a deleted texture everywhere; a later texture may reuse its name.
  for (int unit = 0; unit < 16; ++unit) {
    if (gl_.textures[unit] == storage->glTexture) {
      gl_.textures[unit] = ~0u;
      gl_.textureTargets[unit] = 0;
    }
  }
}

void Device::ForgetBuffer(GLuint buffer) {
  for (AttributeSource& attribute : attributes_) {
    if (attribute.buffer == buffer) attribute = AttributeSource();
  }
  if (boundElementBuffer_ == buffer) boundElementBuffer_ = ~0u;
}

namespace {

bool CompatibleFormats(D3DFORMAT a, D3DFORMAT b) {
  if (a == b) return true;
  auto isArgb = [](D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8; };
  return isArgb(a) && isArgb(b);
}

}  // namespace

HRESULT Device::CopySurfaceRect(Surface* source, const RECT& rect, Surface* destination,
                                POINT at) {
  if (rect.left < 0 || rect.top < 0 || rect.right <= rect.left || rect.bottom <= rect.top ||
      static_cast<UINT>(rect.right) > source->width ||
      static_cast<UINT>(rect.bottom) > source->height || at.x < 0 || at.y < 0) {
    return D3DERR_INVALIDCALL;
  }
  UINT w = static_cast<UINT>(rect.right - rect.left);
  UINT h = static_cast<UINT>(rect.bottom - rect.top);
  if (static_cast<UINT>(at.x) + w > destination->width ||
      static_cast<UINT>(at.y) + h > destination->height) {
    return D3DERR_INVALIDCALL;
  }
  const FormatInfo& info = DescribeFormat(source->format);
  UINT bpp = info.bytesPerPixel;
  bool fillAlpha = !info.hasAlpha && DescribeFormat(destination->format).hasAlpha;

  if (source->HasMemory() && destination->HasMemory()) {
    for (UINT row = 0; row < h; ++row) {
      std::memcpy(destination->memory.data() + (at.y + row) * destination->Pitch() + at.x * bpp,
                  source->memory.data() + (rect.top + row) * source->Pitch() + rect.left * bpp,
                  static_cast<size_t>(w) * bpp);
    }
  } else if (source->HasMemory()) {
    if (!destination->glTexture) return D3DERR_INVALIDCALL;
    GLenum bindTarget = destination->glImageTarget == GL_TEXTURE_2D ? GL_TEXTURE_2D
                                                                    : GL_TEXTURE_CUBE_MAP;
    BindScratchTexture(bindTarget, destination->glTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(source->width));
    glTexSubImage2D(destination->glImageTarget, destination->glLevel, at.x, at.y, w, h,
                    info.uploadFormat, info.uploadType,
                    source->memory.data() + rect.top * source->Pitch() + rect.left * bpp);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return D3D_OK;
  } else {
    if (info.depth) return D3DERR_INVALIDCALL;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
    AttachSurface(GL_READ_FRAMEBUFFER, source, false);
    if (destination->HasMemory()) {
      // Both sides keep D3D's row order, so rows come back as they are.
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(destination->width));
      glReadPixels(rect.left, rect.top, w, h, info.uploadFormat, info.uploadType,
                   destination->memory.data() + at.y * destination->Pitch() + at.x * bpp);
      glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    } else {
      if (!destination->glTexture) return D3DERR_INVALIDCALL;
      GLuint target = FramebufferFor(destination, nullptr);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target);
      gl_.drawFramebuffer = target;
      framebufferDirty_ = true;
      SetScissor(false);
      glBlitFramebuffer(rect.left, rect.top, rect.right, rect.bottom, at.x, at.y, at.x + w,
                        at.y + h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
  }
  if (destination->HasMemory()) {
    if (fillAlpha && bpp == 4) {
      for (UINT row = 0; row < h; ++row) {
        uint8_t* p = destination->memory.data() + (at.y + row) * destination->Pitch() + at.x * 4;
        for (UINT x = 0; x < w; ++x) p[x * 4 + 3] = 0xff;
      }
    }
    destination->dirty = true;
    if (destination->owner) destination->owner->MarkDirty();
  }
  return D3D_OK;
}

HRESULT Device::CopyRects(IDirect3DSurface8* sourceInterface, const RECT* sourceRects,
                          UINT rectCount, IDirect3DSurface8* destinationInterface,
                          const POINT* destPoints) {
  if (!sourceInterface || !destinationInterface || sourceInterface == destinationInterface) {
    return D3DERR_INVALIDCALL;
  }
  Surface* source = static_cast<Surface*>(sourceInterface);
  Surface* destination = static_cast<Surface*>(destinationInterface);
  if (!CompatibleFormats(source->format, destination->format)) return D3DERR_INVALIDCALL;
  if (!sourceRects || rectCount == 0) {
    RECT whole = {0, 0, static_cast<LONG>(source->width), static_cast<LONG>(source->height)};
    POINT at = destPoints ? destPoints[0] : POINT{0, 0};
    return CopySurfaceRect(source, whole, destination, at);
  }
  for (UINT i = 0; i < rectCount; ++i) {
    POINT at = destPoints ? destPoints[i] : POINT{sourceRects[i].left, sourceRects[i].top};
    HRESULT hr = CopySurfaceRect(source, sourceRects[i], destination, at);
    if (FAILED(hr)) return hr;
  }
  return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                              IDirect3DBaseTexture8* destinationTexture) {
  TextureStorage* source = StorageOf(sourceTexture);
  TextureStorage* destination = StorageOf(destinationTexture);
  if (!source || !destination || source == destination || source->kind != destination->kind ||
      source->format != destination->format || source->width != destination->width ||
      source->height != destination->height) {
    return D3DERR_INVALIDCALL;
  }
  UINT faces = source->kind == TextureKind::Cube ? 6 : 1;
  UINT levels = source->levels < destination->levels ? source->levels : destination->levels;
  for (UINT face = 0; face < faces; ++face) {
    for (UINT level = 0; level < levels; ++level) {
      Surface* from = source->Level(face, level);
      RECT whole = {0, 0, static_cast<LONG>(from->width), static_cast<LONG>(from->height)};
      HRESULT hr = CopySurfaceRect(from, whole, destination->Level(face, level), POINT{0, 0});
      if (FAILED(hr)) return hr;
    }
  }
  return D3D_OK;
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* destinationInterface) {
  Surface* destination = static_cast<Surface*>(destinationInterface);
  if (!destination || destination->format != D3DFMT_A8R8G8B8 || !destination->HasMemory()) {
    return D3DERR_INVALIDCALL;
  }
  if (!CompatibleFormats(backBuffer_->format, destination->format)) return D3DERR_INVALIDCALL;
  RECT whole = {0, 0, static_cast<LONG>(backBuffer_->width),
                static_cast<LONG>(backBuffer_->height)};
  return CopySurfaceRect(backBuffer_, whole, destination, POINT{0, 0});
}

}  // namespace platform::d3d8
