#include "device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "adapter.h"
#include "direct3d.h"
#include "format.h"
#include "host/host.h"

namespace platform::d3d8 {

namespace {

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m = {};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

Device::Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags,
               const D3DPRESENT_PARAMETERS& parameters)
    : d3d_(d3d),
      adapter_(adapter),
      deviceType_(type),
      window_(window),
      behaviorFlags_(flags),
      parameters_(parameters) {
  d3d_->AddRef();
}

HRESULT Device::Create(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags,
                       const D3DPRESENT_PARAMETERS& given, Device** device, std::string* error) {
  D3DPRESENT_PARAMETERS parameters = given;
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
    D3DDISPLAYMODE mode = AdapterDisplayMode();
    if (parameters.BackBufferWidth == 0) parameters.BackBufferWidth = mode.Width;
    if (parameters.BackBufferHeight == 0) parameters.BackBufferHeight = mode.Height;
  }
  if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;
  const FormatInfo& format = DescribeFormat(parameters.BackBufferFormat);
  if (!format.renderable || format.depth) {
    *error = "back buffer format " + std::to_string(parameters.BackBufferFormat) +
             " cannot be rendered to";
    return D3DERR_INVALIDCALL;
  }
  if (parameters.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) {
    *error = "at most 3 back buffers";
    return D3DERR_INVALIDCALL;
  }
  if (parameters.EnableAutoDepthStencil && !DescribeFormat(parameters.AutoDepthStencilFormat).depth) {
    *error = "automatic depth-stencil format is not a depth format";
    return D3DERR_INVALIDCALL;
  }
  // REF asks the host for Mesa's software rasteriser.
  if (!host::CreateGlContext(window, type == D3DDEVTYPE_REF, error)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (epoxy_gl_version() < 33) {
    *error = "OpenGL 3.3 is required, the context offers " +
             std::to_string(epoxy_gl_version() / 10) + "." + std::to_string(epoxy_gl_version() % 10);
    return D3DERR_NOTAVAILABLE;
  }
  Device* created = new Device(d3d, adapter, type, window, flags, parameters);
  if (!created->InitializeGl(error)) {
    created->Release();
    return D3DERR_NOTAVAILABLE;
  }
  host::SetFullScreen(window, !parameters.Windowed);
  *device = created;
  return D3D_OK;
}

bool Device::InitializeGl(std::string* error) {
  glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
  glDisable(GL_DITHER);

  glGenBuffers(1, &drawStateBuffer_);
  glBindBuffer(GL_UNIFORM_BUFFER, drawStateBuffer_);
  glBufferData(GL_UNIFORM_BUFFER, 384, nullptr, GL_DYNAMIC_DRAW);
  glGenBuffers(1, &vsConstantBuffer_);
  glBindBuffer(GL_UNIFORM_BUFFER, vsConstantBuffer_);
  glBufferData(GL_UNIFORM_BUFFER, sizeof(vsConstants_), nullptr, GL_DYNAMIC_DRAW);
  glGenBuffers(1, &psConstantBuffer_);
  glBindBuffer(GL_UNIFORM_BUFFER, psConstantBuffer_);
  glBufferData(GL_UNIFORM_BUFFER, sizeof(psConstants_), nullptr, GL_DYNAMIC_DRAW);
  glGenBuffers(1, &streamBuffer_);
  glGenBuffers(1, &indexStreamBuffer_);
  glGenSamplers(kMaxTextureStages, samplers_);
  glGenFramebuffers(1, &readFramebuffer_);

  backBuffer_ = new Surface(this, parameters_.BackBufferFormat, parameters_.BackBufferWidth,
                            parameters_.BackBufferHeight, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
  const FormatInfo& info = DescribeFormat(parameters_.BackBufferFormat);
  glGenTextures(1, &backBuffer_->glTexture);
  BindScratchTexture(GL_TEXTURE_2D, backBuffer_->glTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, info.internalFormat, backBuffer_->width, backBuffer_->height, 0,
               info.uploadFormat, info.uploadType, nullptr);
  presentFramebuffer_ = FramebufferFor(backBuffer_, nullptr);
  if (glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    *error = "the back buffer cannot be rendered to";
    return false;
  }
  Assign<Surface>(renderTarget_, backBuffer_);
  if (parameters_.EnableAutoDepthStencil) {
    IDirect3DSurface8* depth = nullptr;
    if (FAILED(CreateDepthStencilSurface(parameters_.BackBufferWidth,
                                         parameters_.BackBufferHeight,
                                         parameters_.AutoDepthStencilFormat,
                                         D3DMULTISAMPLE_NONE, &depth))) {
      *error = "the automatic depth-stencil surface cannot be made";
      return false;
    }
    depthStencil_ = static_cast<Surface*>(depth);
  }
  SetDefaultStates();
  InvalidateGlCache();
  // A new back buffer starts black, and opaque where the format has no alpha.
  Clear(0, nullptr, D3DCLEAR_TARGET | (depthStencil_ ? D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL : 0),
        D3DCOLOR_ARGB(0, 0, 0, 0), 1.0f, 0);
  return true;
}

void Device::SetDefaultStates() {
  DWORD* rs = renderStates_;
  rs[D3DRS_ZENABLE] = parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_ALPHATESTENABLE] = FALSE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAREF] = 0;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_DITHERENABLE] = FALSE;
  rs[D3DRS_ALPHABLENDENABLE] = FALSE;
  rs[D3DRS_FOGENABLE] = FALSE;
  rs[D3DRS_SPECULARENABLE] = FALSE;
  rs[D3DRS_FOGCOLOR] = 0;
  rs[D3DRS_FOGTABLEMODE] = D3DFOG_NONE;
  rs[D3DRS_FOGSTART] = FloatBits(0.0f);
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILENABLE] = FALSE;
  rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILREF] = 0;
  rs[D3DRS_STENCILMASK] = 0xffffffff;
  rs[D3DRS_STENCILWRITEMASK] = 0xffffffff;
  rs[D3DRS_TEXTUREFACTOR] = 0xffffffff;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_AMBIENT] = 0;
  rs[D3DRS_FOGVERTEXMODE] = D3DFOG_NONE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_NORMALIZENORMALS] = FALSE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_VERTEXBLEND] = D3DVBF_DISABLE;
  rs[D3DRS_SOFTWAREVERTEXPROCESSING] =
      (behaviorFlags_ & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = FloatBits(0.0f);
  rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
  rs[D3DRS_POINTSCALE_B] = FloatBits(0.0f);
  rs[D3DRS_POINTSCALE_C] = FloatBits(0.0f);
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xffffffff;
  rs[D3DRS_PATCHSEGMENTS] = FloatBits(1.0f);
  rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xf;
  rs[D3DRS_TWEENFACTOR] = FloatBits(0.0f);
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[D3DRS_POSITIONORDER] = D3DORDER_CUBIC;
  rs[D3DRS_NORMALORDER] = D3DORDER_LINEAR;

  for (int s = 0; s < kMaxTextureStages; ++s) {
    DWORD* st = stageStates_[s];
    st[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    st[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(s);
    st[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    st[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    st[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    st[D3DTSS_BORDERCOLOR] = 0;
    st[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
    st[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    st[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    st[D3DTSS_MIPMAPLODBIAS] = 0;
    st[D3DTSS_MAXMIPLEVEL] = 0;
    st[D3DTSS_MAXANISOTROPY] = 1;
    st[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    st[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    st[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  viewport_ = {0, 0, parameters_.BackBufferWidth, parameters_.BackBufferHeight, 0.0f, 1.0f};
  transforms_[D3DTS_WORLD] = IdentityMatrix();
  transforms_[D3DTS_VIEW] = IdentityMatrix();
  transforms_[D3DTS_PROJECTION] = IdentityMatrix();
}

Device::~Device() {
  for (auto& texture : textures_) SafeRelease(texture);
  for (auto& stream : streams_) SafeRelease(stream.buffer);
  SafeRelease(indices_);
  SafeRelease(renderTarget_);
  SafeRelease(depthStencil_);
  SafeRelease(backBuffer_);
  for (auto& entry : programs_) {
    if (entry.second.name) glDeleteProgram(entry.second.name);
  }
  for (auto& entry : framebuffers_) glDeleteFramebuffers(1, &entry.second);
  glDeleteFramebuffers(1, &readFramebuffer_);
  glDeleteSamplers(kMaxTextureStages, samplers_);
  GLuint buffers[] = {drawStateBuffer_, vsConstantBuffer_, psConstantBuffer_, streamBuffer_,
                      indexStreamBuffer_};
  glDeleteBuffers(5, buffers);
  glDeleteVertexArrays(1, &vertexArray_);
  d3d_->Release();
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void Device::LogOnce(const std::string& message) {
  for (const std::string& logged : loggedMessages_) {
    if (logged == message) return;
  }
  loggedMessages_.push_back(message);
  std::fprintf(stderr, "Direct3D: %s\n", message.c_str());
}

HRESULT Device::TestCooperativeLevel() { return D3D_OK; }
UINT Device::GetAvailableTextureMem() { return 256u << 20; }
HRESULT Device::ResourceManagerDiscardBytes(DWORD) { return D3D_OK; }

HRESULT Device::GetDirect3D(IDirect3D8** d3d8) {
  if (!d3d8) return D3DERR_INVALIDCALL;
  d3d_->AddRef();
  *d3d8 = d3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  FillDeviceCaps(deviceType_, caps);
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (!mode) return D3DERR_INVALIDCALL;
  if (parameters_.Windowed) {
    *mode = AdapterDisplayMode();
  } else {
    *mode = {parameters_.BackBufferWidth, parameters_.BackBufferHeight,
             parameters_.FullScreen_RefreshRateInHz ? parameters_.FullScreen_RefreshRateInHz : 60,
             parameters_.BackBufferFormat};
  }
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
  if (!parameters) return D3DERR_INVALIDCALL;
  parameters->AdapterOrdinal = adapter_;
  parameters->DeviceType = deviceType_;
  parameters->hFocusWindow = window_;
  parameters->BehaviorFlags = behaviorFlags_;
  return D3D_OK;
}

// This engine never loses its device, so there is nothing to reset to.
HRESULT Device::Reset(D3DPRESENT_PARAMETERS*) { return D3DERR_INVALIDCALL; }

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  // The host may draw with GL state of its own; hand it a clean slate and forget ours.
  glBindVertexArray(0);
  host::PresentFramebuffer(presentFramebuffer_, parameters_.BackBufferWidth,
                           parameters_.BackBufferHeight);
  InvalidateGlCache();
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  // Every back buffer of the chain is the one image GL renders into.
  if (index >= parameters_.BackBufferCount) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *surface = backBuffer_;
  return D3D_OK;
}

HRESULT Device::GetRasterStatus(D3DRASTER_STATUS* status) {
  if (!status) return D3DERR_INVALIDCALL;
  status->InVBlank = FALSE;
  status->ScanLine = 0;
  return D3D_OK;
}

void Device::SetGammaRamp(DWORD, const D3DGAMMARAMP*) {}

void Device::GetGammaRamp(D3DGAMMARAMP* ramp) {
  if (!ramp) return;
  for (int i = 0; i < 256; ++i) {
    ramp->red[i] = ramp->green[i] = ramp->blue[i] = static_cast<WORD>(i * 257);
  }
}

// ---------------------------------------------------------------------------------------------
// Resource creation.

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const FormatInfo& info = DescribeFormat(format);
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || info.bytesPerPixel == 0 ||
      info.depth) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_RENDERTARGET) && (!info.renderable || pool != D3DPOOL_DEFAULT)) {
    return D3DERR_INVALIDCALL;
  }
  UINT full = FullMipCount(width, height);
  if (levels == 0 || levels > full) levels = full;
  *texture = new Texture(this, width, height, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DCubeTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  const FormatInfo& info = DescribeFormat(format);
  if (edge == 0 || edge > 4096 || info.bytesPerPixel == 0 || info.depth) {
    return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_RENDERTARGET) && (!info.renderable || pool != D3DPOOL_DEFAULT)) {
    return D3DERR_INVALIDCALL;
  }
  UINT full = FullMipCount(edge, edge);
  if (levels == 0 || levels > full) levels = full;
  *texture = new CubeTexture(this, edge, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0) return D3DERR_INVALIDCALL;
  *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  *buffer = new IndexBuffer(this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const FormatInfo& info = DescribeFormat(format);
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || !info.renderable ||
      info.depth) {
    return D3DERR_INVALIDCALL;
  }
  Surface* created =
      new Surface(this, format, width, height, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
  glGenTextures(1, &created->glTexture);
  BindScratchTexture(GL_TEXTURE_2D, created->glTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, info.internalFormat, width, height, 0, info.uploadFormat,
               info.uploadType, nullptr);
  *surface = created;
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE, IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const FormatInfo& info = DescribeFormat(format);
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || !info.depth) {
    return D3DERR_INVALIDCALL;
  }
  Surface* created =
      new Surface(this, format, width, height, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT);
  glGenRenderbuffers(1, &created->glRenderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, created->glRenderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, info.internalFormat, width, height);
  *surface = created;
  return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                   IDirect3DSurface8** surface) {
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  const FormatInfo& info = DescribeFormat(format);
  if (width == 0 || height == 0 || width > 8192 || height > 8192 || info.bytesPerPixel == 0 ||
      info.depth) {
    return D3DERR_INVALIDCALL;
  }
  Surface* created = new Surface(this, format, width, height, 0, D3DPOOL_SYSTEMMEM);
  created->memory.assign(static_cast<size_t>(created->Pitch()) * height, 0);
  *surface = created;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Render targets and the scene.

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* zStencil) {
  Surface* colour = renderTarget ? static_cast<Surface*>(renderTarget) : renderTarget_;
  Surface* depth = static_cast<Surface*>(zStencil);
  if (!(colour->usage & D3DUSAGE_RENDERTARGET) || !colour->OnGpu()) return D3DERR_INVALIDCALL;
  if (depth) {
    if (!(depth->usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
    // As in D3D, the depth buffer must cover the whole colour target.
    if (depth->width < colour->width || depth->height < colour->height) {
      return D3DERR_INVALIDCALL;
    }
  }
  Assign(renderTarget_, colour);
  Assign(depthStencil_, depth);
  framebufferDirty_ = true;
  rasterDirty_ = true;
  // A new target is drawn whole until the caller says otherwise.
  viewport_ = {0, 0, colour->width, colour->height, 0.0f, 1.0f};
  viewportDirty_ = true;
  drawStateDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** renderTarget) {
  if (!renderTarget) return D3DERR_INVALIDCALL;
  renderTarget_->AddRef();
  *renderTarget = renderTarget_;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** zStencil) {
  if (!zStencil) return D3DERR_INVALIDCALL;
  *zStencil = depthStencil_;
  if (!depthStencil_) return D3DERR_NOTFOUND;
  depthStencil_->AddRef();
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) {
    return D3DERR_INVALIDCALL;
  }
  if (count > 0 && !rects) return D3DERR_INVALIDCALL;
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
  if (flags & D3DCLEAR_STENCIL) bits |= GL_STENCIL_BUFFER_BIT;
  if (bits == 0) return D3D_OK;

  ApplyFramebuffer();
  bool targetAlpha = DescribeFormat(renderTarget_->format).hasAlpha;
  float alpha = targetAlpha ? ((color >> 24) & 0xff) / 255.0f : 1.0f;
  glClearColor(((color >> 16) & 0xff) / 255.0f, ((color >> 8) & 0xff) / 255.0f,
               (color & 0xff) / 255.0f, alpha);
  glClearDepth(z < 0.0f ? 0.0f : (z > 1.0f ? 1.0f : z));
  glClearStencil(static_cast<GLint>(stencil & 0xff));
  // Clears ignore the write masks of drawing; the next draw restores them.
  SetColorMask(0xf);
  SetDepthMask(true);
  if (gl_.stencilWriteMask != 0xffu) {
    glStencilMask(0xff);
    gl_.stencilWriteMask = 0xff;
  }
  rasterDirty_ = true;
  SetScissor(true);

  // D3D clears the viewport, or the parts of the given rectangles inside it.
  LONG vx1 = static_cast<LONG>(viewport_.X), vy1 = static_cast<LONG>(viewport_.Y);
  LONG vx2 = vx1 + static_cast<LONG>(viewport_.Width);
  LONG vy2 = vy1 + static_cast<LONG>(viewport_.Height);
  auto clearArea = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
    x1 = std::max(x1, vx1);
    y1 = std::max(y1, vy1);
    x2 = std::min(x2, vx2);
    y2 = std::min(y2, vy2);
    if (x2 <= x1 || y2 <= y1) return;
    glScissor(x1, y1, x2 - x1, y2 - y1);
    glClear(bits);
  };
  if (count == 0) {
    clearArea(vx1, vy1, vx2, vy2);
  } else {
    for (DWORD i = 0; i < count; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Transforms, viewport, material and lights (stored; lighting is not computed).

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  transforms_[state] = *matrix;
  if (state == D3DTS_WORLD || state == D3DTS_VIEW || state == D3DTS_PROJECTION) {
    transformDirty_ = true;
    drawStateDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  auto found = transforms_.find(state);
  *matrix = found != transforms_.end() ? found->second : IdentityMatrix();
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  D3DMATRIX current;
  GetTransform(state, &current);
  D3DMATRIX product = {};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += matrix->m[r][k] * current.m[k][c];
      product.m[r][c] = sum;
    }
  }
  return SetTransform(state, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  if (viewport->Width == 0 || viewport->Height == 0 ||
      viewport->X + viewport->Width > renderTarget_->width ||
      viewport->Y + viewport->Height > renderTarget_->height) {
    return D3DERR_INVALIDCALL;
  }
  viewport_ = *viewport;
  viewportDirty_ = true;
  drawStateDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  material_ = *material;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = material_;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  if (!light) return D3DERR_INVALIDCALL;
  lights_[index].first = *light;
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
  auto found = lights_.find(index);
  if (!light || found == lights_.end()) return D3DERR_INVALIDCALL;
  *light = found->second.first;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  lights_[index].second = enable;
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
  auto found = lights_.find(index);
  if (!enable || found == lights_.end()) return D3DERR_INVALIDCALL;
  *enable = found->second.second;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Render and texture stage states: stored now, applied at the next draw.

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  if (renderStates_[state] == value) return D3D_OK;
  renderStates_[state] = value;
  switch (state) {
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
    case D3DRS_CULLMODE:
    case D3DRS_FILLMODE:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
      rasterDirty_ = true;
      break;
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAREF:
    case D3DRS_ALPHAFUNC:
    case D3DRS_TEXTUREFACTOR:
      drawStateDirty_ = true;
      break;
    case D3DRS_SPECULARENABLE:
      programDirty_ = true;
      break;
    default:
      break;
  }
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || static_cast<DWORD>(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
  if (!texture || stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  *texture = textures_[stage];
  SafeAddRef(*texture);
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  if (textures_[stage] == texture) return D3D_OK;
  TextureStorage* storage = StorageOf(texture);
  if (texture && !storage) return D3DERR_INVALIDCALL;
  TextureKind oldKind = textureStorage_[stage] ? textureStorage_[stage]->kind : TextureKind::None;
  TextureKind newKind = storage ? storage->kind : TextureKind::None;
  Assign(textures_[stage], texture);
  textureStorage_[stage] = storage;
  textureDirty_ |= 1u << stage;
  if (oldKind != newKind) programDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value || stage >= kMaxTextureStages || static_cast<DWORD>(type) >= kStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = stageStates_[stage][type];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kMaxTextureStages || static_cast<DWORD>(type) >= kStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  if (stageStates_[stage][type] == value) return D3D_OK;
  stageStates_[stage][type] = value;
  switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_COLORARG0:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG0:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
    case D3DTSS_RESULTARG:
    case D3DTSS_TEXCOORDINDEX:
      programDirty_ = true;
      break;
    case D3DTSS_BUMPENVMAT00:
    case D3DTSS_BUMPENVMAT01:
    case D3DTSS_BUMPENVMAT10:
    case D3DTSS_BUMPENVMAT11:
    case D3DTSS_BUMPENVLSCALE:
    case D3DTSS_BUMPENVLOFFSET:
      drawStateDirty_ = true;
      break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_ADDRESSW:
    case D3DTSS_BORDERCOLOR:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
    case D3DTSS_MIPMAPLODBIAS:
    case D3DTSS_MAXMIPLEVEL:
    case D3DTSS_MAXANISOTROPY:
      samplerDirty_ |= 1u << stage;
      break;
    default:
      break;
  }
  return D3D_OK;
}

HRESULT Device::ValidateDevice(DWORD* numPasses) {
  if (!numPasses) return D3DERR_INVALIDCALL;
  *numPasses = 1;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Streams, shaders and their constants.

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  if (stream >= kMaxStreams) return D3DERR_INVALIDCALL;
  Assign(streams_[stream].buffer, static_cast<VertexBuffer*>(buffer));
  streams_[stream].stride = stride;
  inputDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) {
  if (stream >= kMaxStreams || !buffer || !stride) return D3DERR_INVALIDCALL;
  *buffer = streams_[stream].buffer;
  SafeAddRef(*buffer);
  *stride = streams_[stream].stride;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
  Assign(indices_, static_cast<IndexBuffer*>(buffer));
  baseVertexIndex_ = baseVertexIndex;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) {
  if (!buffer || !baseVertexIndex) return D3DERR_INVALIDCALL;
  *buffer = indices_;
  SafeAddRef(*buffer);
  *baseVertexIndex = baseVertexIndex_;
  return D3D_OK;
}

namespace {

// Vertex shader handles are odd, which no FVF code is (bit 0 of an FVF is reserved).
DWORD VertexHandle(size_t index) { return static_cast<DWORD>(((index + 1) << 1) | 1); }
size_t VertexIndex(DWORD handle) { return (handle >> 1) - 1; }

}  // namespace

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function,
                                   DWORD* handle, DWORD) {
  if (!declaration || !handle) return D3DERR_INVALIDCALL;
  auto entry = std::make_unique<VertexShaderEntry>();
  std::string error;
  HRESULT hr = TranslateVertexShader(declaration, function, &entry->code, &error);
  if (FAILED(hr) || !entry->code) {
    std::fprintf(stderr, "Direct3D: CreateVertexShader: %s\n", error.c_str());
    return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
  }
  vertexShaders_.push_back(std::move(entry));
  *handle = VertexHandle(vertexShaders_.size() - 1);
  return D3D_OK;
}

namespace {

// Values a shader carries with it (declaration constants, def) load into the
// registers each time it is set; registers past the table are ignored.
template <typename List>
void LoadDeclaredConstants(const List& constants, float (*table)[4], DWORD tableSize, bool* dirty) {
  for (const DeclaredConstant& constant : constants) {
    if (constant.reg < tableSize) {
      std::memcpy(table[constant.reg], constant.value, sizeof(constant.value));
      *dirty = true;
    }
  }
}

}  // namespace

HRESULT Device::SetVertexShader(DWORD handle) {
  if (handle & 1) {
    size_t index = VertexIndex(handle);
    if (handle < 3 || index >= vertexShaders_.size() || !vertexShaders_[index]) {
      return D3DERR_INVALIDCALL;
    }
    // Constants written in the declaration load whenever the shader is set.
    LoadDeclaredConstants(vertexShaders_[index]->code->layout.constants, vsConstants_,
                          kVertexShaderConstantCount, &vsConstantsDirty_);
  }
  if (vertexShader_ != handle) {
    vertexShader_ = handle;
    programDirty_ = true;
    inputDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
  if (!handle) return D3DERR_INVALIDCALL;
  *handle = vertexShader_;
  return D3D_OK;
}

namespace {

// A register range a caller may read or write: inside the table, with somewhere to copy.
bool ConstantRangeFits(const void* data, DWORD tableSize, DWORD reg, DWORD count) {
  return data && reg <= tableSize && count <= tableSize - reg;
}

}  // namespace

HRESULT Device::DeleteVertexShader(DWORD handle) {
  size_t index = VertexIndex(handle);
  if (!(handle & 1) || handle < 3 || index >= vertexShaders_.size() || !vertexShaders_[index]) {
    return D3DERR_INVALIDCALL;
  }
  // Handles are never reused, so programs cached under this one can never be picked again.
  vertexShaders_[index].reset();
  if (vertexShader_ == handle) {
    vertexShader_ = 0;
    programDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) {
  if (!ConstantRangeFits(data, kVertexShaderConstantCount, reg, count)) return D3DERR_INVALIDCALL;
  std::memcpy(vsConstants_[reg], data, count * 4 * sizeof(float));
  vsConstantsDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* data, DWORD count) {
  if (!ConstantRangeFits(data, kVertexShaderConstantCount, reg, count)) return D3DERR_INVALIDCALL;
  std::memcpy(data, vsConstants_[reg], count * 4 * sizeof(float));
  return D3D_OK;
}

HRESULT Device::CreatePixelShader(const DWORD* function, DWORD* handle) {
  if (!function || !handle) return D3DERR_INVALIDCALL;
  auto entry = std::make_unique<PixelShaderEntry>();
  std::string error;
  HRESULT hr = TranslatePixelShader(function, &entry->code, &error);
  if (FAILED(hr) || !entry->code) {
    std::fprintf(stderr, "Direct3D: CreatePixelShader: %s\n", error.c_str());
    return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
  }
  pixelShaders_.push_back(std::move(entry));
  *handle = static_cast<DWORD>(pixelShaders_.size());
  return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle) {
  if (handle != 0 && (handle > pixelShaders_.size() || !pixelShaders_[handle - 1])) {
    return D3DERR_INVALIDCALL;
  }
  if (handle != 0) {
    // A shader's def values are loaded into the constants whenever it is set.
    LoadDeclaredConstants(pixelShaders_[handle - 1]->code->DefinedConstants(), psConstants_,
                          kPixelShaderConstantCount, &psConstantsDirty_);
  }
  if (pixelShader_ != handle) {
    pixelShader_ = handle;
    programDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Device::GetPixelShader(DWORD* handle) {
  if (!handle) return D3DERR_INVALIDCALL;
  *handle = pixelShader_;
  return D3D_OK;
}

HRESULT Device::DeletePixelShader(DWORD handle) {
  if (handle == 0 || handle > pixelShaders_.size() || !pixelShaders_[handle - 1]) {
    return D3DERR_INVALIDCALL;
  }
  pixelShaders_[handle - 1].reset();
  if (pixelShader_ == handle) {
    pixelShader_ = 0;
    programDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Device::SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) {
  if (!ConstantRangeFits(data, kPixelShaderConstantCount, reg, count)) return D3DERR_INVALIDCALL;
  std::memcpy(psConstants_[reg], data, count * 4 * sizeof(float));
  psConstantsDirty_ = true;
  return D3D_OK;
}

HRESULT Device::GetPixelShaderConstant(DWORD reg, void* data, DWORD count) {
  if (!ConstantRangeFits(data, kPixelShaderConstantCount, reg, count)) return D3DERR_INVALIDCALL;
  std::memcpy(data, psConstants_[reg], count * 4 * sizeof(float));
  return D3D_OK;
}

}  // namespace platform::d3d8
