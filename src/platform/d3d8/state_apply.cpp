// Device state reaches GL here, at draw time, group by group; a GL call is made only when
// the value GL holds differs from the one wanted.
#include <cstring>

#include "device.h"
#include "format.h"

namespace platform::d3d8 {

namespace {

GLenum CompareFunction(DWORD value) {
  switch (value) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum BlendFactor(DWORD value) {
  switch (value) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum BlendEquation(DWORD value) {
  switch (value) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum StencilOperation(DWORD value) {
  switch (value) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLint AddressMode(DWORD value) {
  switch (value) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
    default: return GL_REPEAT;
  }
}

float BitsToFloat(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void ColorToFloats(D3DCOLOR color, float* out) {
  out[0] = ((color >> 16) & 0xff) / 255.0f;
  out[1] = ((color >> 8) & 0xff) / 255.0f;
  out[2] = (color & 0xff) / 255.0f;
  out[3] = ((color >> 24) & 0xff) / 255.0f;
}

}  // namespace

void Device::InvalidateGlCache() {
  gl_ = GlCache();
  for (AttributeSource& attribute : attributes_) attribute = AttributeSource();
  enabledAttributes_ = 0;
  boundElementBuffer_ = ~0u;
  framebufferDirty_ = viewportDirty_ = rasterDirty_ = true;
  samplerDirty_ = textureDirty_ = 0xff;
  inputDirty_ = true;
  glBindVertexArray(vertexArray_);
  // The VAO's attribute state may have been changed by others: turn every array off so
  // the next draw sets what it needs.
  for (int i = 0; i < kMaxVertexInputs; ++i) glDisableVertexAttribArray(i);
  glBindBufferBase(GL_UNIFORM_BUFFER, 0, drawStateBuffer_);
  glBindBufferBase(GL_UNIFORM_BUFFER, 1, vsConstantBuffer_);
  glBindBufferBase(GL_UNIFORM_BUFFER, 2, psConstantBuffer_);
  for (int s = 0; s < kMaxTextureStages; ++s) glBindSampler(s, samplers_[s]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glDisable(GL_DITHER);
  glCullFace(GL_BACK);
}

void Device::BindTexture(int unit, GLenum target, GLuint texture) {
  if (gl_.textures[unit] == texture && gl_.textureTargets[unit] == target) return;
  if (gl_.activeUnit != unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    gl_.activeUnit = unit;
  }
  // A unit holds one texture per target; drop one of the other kind so the unit stays
  // unambiguous for whatever samples it.
  if (gl_.textureTargets[unit] != 0 && gl_.textureTargets[unit] != target) {
    glBindTexture(gl_.textureTargets[unit], 0);
  }
  glBindTexture(target, texture);
  gl_.textures[unit] = texture;
  gl_.textureTargets[unit] = target;
}

void Device::BindScratchTexture(GLenum target, GLuint texture) {
  BindTexture(kScratchTextureUnit, target, texture);
}

void Device::SetBlend(bool enable) {
  if (gl_.blend == static_cast<int>(enable)) return;
  if (enable) glEnable(GL_BLEND); else glDisable(GL_BLEND);
  gl_.blend = enable;
}

void Device::SetColorMask(int mask) {
  if (gl_.colorMask == mask) return;
  glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
  gl_.colorMask = mask;
}

void Device::SetDepthMask(bool enable) {
  if (gl_.depthMask == static_cast<int>(enable)) return;
  glDepthMask(enable ? GL_TRUE : GL_FALSE);
  gl_.depthMask = enable;
}

void Device::SetScissor(bool enable) {
  if (gl_.scissor == static_cast<int>(enable)) return;
  if (enable) glEnable(GL_SCISSOR_TEST); else glDisable(GL_SCISSOR_TEST);
  gl_.scissor = enable;
}

void Device::ApplyFramebuffer() {
  if (!framebufferDirty_) return;
  GLuint framebuffer = FramebufferFor(renderTarget_, depthStencil_);
  if (gl_.drawFramebuffer != framebuffer) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    gl_.drawFramebuffer = framebuffer;
  }
  framebufferDirty_ = false;
}

void Device::ApplyViewport() {
  if (!viewportDirty_) return;
  GLint v[4] = {static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
                static_cast<GLint>(viewport_.Width), static_cast<GLint>(viewport_.Height)};
  if (std::memcmp(v, gl_.viewport, sizeof(v)) != 0) {
    glViewport(v[0], v[1], v[2], v[3]);
    std::memcpy(gl_.viewport, v, sizeof(v));
  }
  if (gl_.depthRange[0] != viewport_.MinZ || gl_.depthRange[1] != viewport_.MaxZ) {
    glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    gl_.depthRange[0] = viewport_.MinZ;
    gl_.depthRange[1] = viewport_.MaxZ;
  }
  viewportDirty_ = false;
}

void Device::ApplyRasterState() {
  if (!rasterDirty_) return;
  const DWORD* rs = renderStates_;

  bool depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencil_ != nullptr;
  if (gl_.depthTest != static_cast<int>(depthTest)) {
    if (depthTest) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
    gl_.depthTest = depthTest;
  }
  SetDepthMask(rs[D3DRS_ZWRITEENABLE] != FALSE);
  GLenum depthFunc = CompareFunction(rs[D3DRS_ZFUNC]);
  if (gl_.depthFunc != depthFunc) {
    glDepthFunc(depthFunc);
    gl_.depthFunc = depthFunc;
  }

  SetBlend(rs[D3DRS_ALPHABLENDENABLE] != FALSE);
  GLenum src = BlendFactor(rs[D3DRS_SRCBLEND]);
  GLenum dst = BlendFactor(rs[D3DRS_DESTBLEND]);
  if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
    src = GL_SRC_ALPHA;
    dst = GL_ONE_MINUS_SRC_ALPHA;
  } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
    src = GL_ONE_MINUS_SRC_ALPHA;
    dst = GL_SRC_ALPHA;
  }
  if (gl_.blendSrc != src || gl_.blendDst != dst) {
    glBlendFunc(src, dst);
    gl_.blendSrc = src;
    gl_.blendDst = dst;
  }
  GLenum equation = BlendEquation(rs[D3DRS_BLENDOP]);
  if (gl_.blendEquation != equation) {
    glBlendEquation(equation);
    gl_.blendEquation = equation;
  }

  // Render targets are stored upside down for GL (see conventions.cpp), which mirrors every
  // triangle: what D3D sees clockwise on screen GL sees counter-clockwise.
  DWORD cull = rs[D3DRS_CULLMODE];
  bool cullOn = cull == D3DCULL_CW || cull == D3DCULL_CCW;
  if (gl_.cullFace != static_cast<int>(cullOn)) {
    if (cullOn) glEnable(GL_CULL_FACE); else glDisable(GL_CULL_FACE);
    gl_.cullFace = cullOn;
  }
  if (cullOn) {
    // GL culls its back faces; make D3D's culled winding GL's back.
    GLenum front = cull == D3DCULL_CW ? GL_CW : GL_CCW;
    if (gl_.frontFace != front) {
      glFrontFace(front);
      gl_.frontFace = front;
    }
  }

  GLenum polygonMode = rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                       : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                 : GL_FILL;
  if (gl_.polygonMode != polygonMode) {
    glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
    gl_.polygonMode = polygonMode;
  }

  // Targets without alpha keep alpha at one, so DESTALPHA blends read one as D3D says.
  int mask = static_cast<int>(rs[D3DRS_COLORWRITEENABLE] & 0xf);
  if (!DescribeFormat(renderTarget_->format).hasAlpha) mask &= 0x7;
  SetColorMask(mask);

  bool stencil = rs[D3DRS_STENCILENABLE] != FALSE && depthStencil_ != nullptr;
  if (gl_.stencilTest != static_cast<int>(stencil)) {
    if (stencil) glEnable(GL_STENCIL_TEST); else glDisable(GL_STENCIL_TEST);
    gl_.stencilTest = stencil;
  }
  GLenum stencilFunc = CompareFunction(rs[D3DRS_STENCILFUNC]);
  GLint stencilRef = static_cast<GLint>(rs[D3DRS_STENCILREF] & 0xff);
  GLuint readMask = rs[D3DRS_STENCILMASK] & 0xff;
  if (gl_.stencilFunc != stencilFunc || gl_.stencilRef != stencilRef ||
      gl_.stencilReadMask != readMask) {
    glStencilFunc(stencilFunc, stencilRef, readMask);
    gl_.stencilFunc = stencilFunc;
    gl_.stencilRef = stencilRef;
    gl_.stencilReadMask = readMask;
  }
  GLuint writeMask = rs[D3DRS_STENCILWRITEMASK] & 0xff;
  if (gl_.stencilWriteMask != writeMask) {
    glStencilMask(writeMask);
    gl_.stencilWriteMask = writeMask;
  }
  GLenum fail = StencilOperation(rs[D3DRS_STENCILFAIL]);
  GLenum zFail = StencilOperation(rs[D3DRS_STENCILZFAIL]);
  GLenum pass = StencilOperation(rs[D3DRS_STENCILPASS]);
  if (gl_.stencilFail != fail || gl_.stencilZFail != zFail || gl_.stencilPass != pass) {
    glStencilOp(fail, zFail, pass);
    gl_.stencilFail = fail;
    gl_.stencilZFail = zFail;
    gl_.stencilPass = pass;
  }
  SetScissor(false);
  rasterDirty_ = false;
}

void Device::ApplySampler(int stage) {
  const DWORD* st = stageStates_[stage];
  GLuint sampler = samplers_[stage];
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(st[D3DTSS_ADDRESSU]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(st[D3DTSS_ADDRESSV]));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, AddressMode(st[D3DTSS_ADDRESSW]));
  float border[4];
  ColorToFloats(st[D3DTSS_BORDERCOLOR], border);
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  bool magLinear = st[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR;
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
  bool minLinear = st[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
  GLint minFilter;
  switch (st[D3DTSS_MIPFILTER]) {
    case D3DTEXF_POINT:
      minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
      break;
    case D3DTEXF_NONE:
      minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
      break;
    default:
      minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
      break;
  }
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
  glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, static_cast<float>(st[D3DTSS_MAXMIPLEVEL]));
  glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, BitsToFloat(st[D3DTSS_MIPMAPLODBIAS]));
}

void Device::ApplyTextures() {
  for (int s = 0; s < kMaxTextureStages; ++s) {
    TextureStorage* storage = textureStorage_[s];
    if (storage) {
      storage->Upload();
      if (textureDirty_ & (1u << s) || gl_.textures[s] != storage->glTexture) {
        BindTexture(s, storage->glTarget, storage->glTexture);
      }
    }
    if (samplerDirty_ & (1u << s)) ApplySampler(s);
  }
  textureDirty_ = 0;
  samplerDirty_ = 0;
}

void Device::ApplyUniforms() {
  if (drawStateDirty_) {
    struct {
      float viewport[4];
      float posFixup[4];
      float textureFactor[4];
      float alphaTest[4];
      float bumpEnvMat[8][4];
      float bumpEnvLuminance[8][4];
      float worldViewProj[16];
    } block = {};
    static_assert(sizeof(block) == 384, "std140 layout of D3DDrawState");
    block.viewport[0] = static_cast<float>(viewport_.X);
    block.viewport[1] = static_cast<float>(viewport_.Y);
    block.viewport[2] = static_cast<float>(viewport_.Width);
    block.viewport[3] = static_cast<float>(viewport_.Height);
    block.posFixup[0] = kPixelCentreShift * 2.0f / static_cast<float>(viewport_.Width);
    block.posFixup[1] = kPixelCentreShift * 2.0f / static_cast<float>(viewport_.Height);
    block.posFixup[2] = viewport_.MinZ;
    block.posFixup[3] = viewport_.MaxZ;
    ColorToFloats(renderStates_[D3DRS_TEXTUREFACTOR], block.textureFactor);
    if (renderStates_[D3DRS_ALPHATESTENABLE] && renderStates_[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS) {
      DWORD func = renderStates_[D3DRS_ALPHAFUNC];
      block.alphaTest[0] = static_cast<float>(func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? func : DWORD{D3DCMP_ALWAYS});
      block.alphaTest[1] = static_cast<float>(renderStates_[D3DRS_ALPHAREF] & 0xff);
    }
    for (int s = 0; s < kMaxTextureStages; ++s) {
      block.bumpEnvMat[s][0] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVMAT00]);
      block.bumpEnvMat[s][1] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVMAT01]);
      block.bumpEnvMat[s][2] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVMAT10]);
      block.bumpEnvMat[s][3] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVMAT11]);
      block.bumpEnvLuminance[s][0] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVLSCALE]);
      block.bumpEnvLuminance[s][1] = BitsToFloat(stageStates_[s][D3DTSS_BUMPENVLOFFSET]);
    }
    // Row vectors: position * world * view * projection. Stored row by row, which GLSL reads
    // as the transpose, so the shader multiplies matrix * position.
    const D3DMATRIX& world = transforms_[D3DTS_WORLD];
    const D3DMATRIX& view = transforms_[D3DTS_VIEW];
    const D3DMATRIX& projection = transforms_[D3DTS_PROJECTION];
    D3DMATRIX worldView = {}, all = {};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) sum += world.m[r][k] * view.m[k][c];
        worldView.m[r][c] = sum;
      }
    }
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) sum += worldView.m[r][k] * projection.m[k][c];
        all.m[r][c] = sum;
      }
    }
    std::memcpy(block.worldViewProj, all.m, sizeof(block.worldViewProj));
    glBindBuffer(GL_UNIFORM_BUFFER, drawStateBuffer_);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(block), &block);
    drawStateDirty_ = false;
    transformDirty_ = false;
  }
  if (vsConstantsDirty_) {
    glBindBuffer(GL_UNIFORM_BUFFER, vsConstantBuffer_);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(vsConstants_), vsConstants_);
    vsConstantsDirty_ = false;
  }
  if (psConstantsDirty_) {
    glBindBuffer(GL_UNIFORM_BUFFER, psConstantBuffer_);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(psConstants_), psConstants_);
    psConstantsDirty_ = false;
  }
}

}  // namespace platform::d3d8
