// The device: state as the demo sets it, applied to GL lazily at draw time.
#pragma once

#include <d3d8.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "fixed_function.h"
#include "pipeline.h"
#include "resources.h"

namespace platform::d3d8 {

class Direct3D;

// Render state indices run up to D3DRS_NORMALORDER (173).
constexpr int kRenderStateCount = 256;
constexpr int kStageStateCount = 32;
constexpr int kScratchTextureUnit = 15;

// What GL currently has, so that redundant calls can be skipped. Cleared (set to "unknown")
// whenever someone else may have touched GL, e.g. the host at Present.
struct GlCache {
  GLuint program = ~0u;
  GLuint drawFramebuffer = ~0u;
  GLint viewport[4] = {-1, -1, -1, -1};
  float depthRange[2] = {-1, -1};
  int blend = -1;
  GLenum blendSrc = 0, blendDst = 0, blendEquation = 0;
  int depthTest = -1;
  int depthMask = -1;
  GLenum depthFunc = 0;
  int cullFace = -1;
  GLenum frontFace = 0;
  GLenum polygonMode = 0;
  int colorMask = -1;
  int stencilTest = -1;
  GLenum stencilFunc = 0;
  GLint stencilRef = -1;
  GLuint stencilReadMask = 0, stencilWriteMask = 0;
  GLenum stencilFail = 0, stencilZFail = 0, stencilPass = 0;
  int scissor = -1;
  GLint activeUnit = -1;
  GLuint textures[16] = {};
  GLenum textureTargets[16] = {};
  bool texturesKnown = false;
  GLuint samplers[kMaxTextureStages] = {};
  bool samplersKnown = false;
};

// How one input register is fed from a vertex stream.
struct AttributeSource {
  GLuint buffer = 0;
  GLint size = 0;
  GLenum type = 0;
  GLboolean normalized = GL_FALSE;
  GLsizei stride = 0;
  uintptr_t offset = 0;
  bool operator==(const AttributeSource&) const = default;
};

struct VertexShaderEntry {
  std::unique_ptr<VertexShaderCode> code;
};

struct PixelShaderEntry {
  std::unique_ptr<PixelShaderCode> code;
};

class Device final : public IDirect3DDevice8 {
 public:
  // Makes the GL context current and the back buffer. Fails with a message when GL cannot
  // be had.
  static HRESULT Create(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags,
                        const D3DPRESENT_PARAMETERS& parameters, Device** device,
                        std::string* error);

  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT ResourceManagerDiscardBytes(DWORD bytes) override;
  HRESULT GetDirect3D(IDirect3D8** d3d8) override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                  const RGNDATA* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface8** surface) override;
  HRESULT GetRasterStatus(D3DRASTER_STATUS* status) override;
  void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) override;
  void GetGammaRamp(D3DGAMMARAMP* ramp) override;

  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture8** texture) override;
  HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture8** texture) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** buffer) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** buffer) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                             D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                             IDirect3DSurface8** surface) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** surface) override;
  HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                             IDirect3DSurface8** surface) override;
  HRESULT CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount,
                    IDirect3DSurface8* destination, const POINT* destPoints) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture8* source,
                        IDirect3DBaseTexture8* destination) override;
  HRESULT GetFrontBuffer(IDirect3DSurface8* destination) override;
  HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* zStencil) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** zStencil) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;

  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT GetMaterial(D3DMATERIAL8* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;

  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                               DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT ValidateDevice(DWORD* numPasses) override;

  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices,
                               UINT startIndex, UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                          UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                 UINT numVertexIndices, UINT primitiveCount,
                                 const void* indices, D3DFORMAT indexFormat,
                                 const void* vertices, UINT stride) override;

  HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                             DWORD usage) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT GetVertexShader(DWORD* handle) override;
  HRESULT DeleteVertexShader(DWORD handle) override;
  HRESULT SetVertexShaderConstant(DWORD reg, const void* data, DWORD count) override;
  HRESULT GetVertexShaderConstant(DWORD reg, void* data, DWORD count) override;

  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
  HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer8** buffer, UINT* stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
  HRESULT GetIndices(IDirect3DIndexBuffer8** buffer, UINT* baseVertexIndex) override;

  HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) override;
  HRESULT SetPixelShader(DWORD handle) override;
  HRESULT GetPixelShader(DWORD* handle) override;
  HRESULT DeletePixelShader(DWORD handle) override;
  HRESULT SetPixelShaderConstant(DWORD reg, const void* data, DWORD count) override;
  HRESULT GetPixelShaderConstant(DWORD reg, void* data, DWORD count) override;

  // Used by the resources.
  void BindScratchTexture(GLenum target, GLuint texture);
  void ForgetSurface(Surface* surface);
  void ForgetTexture(TextureStorage* storage);
  void ForgetBuffer(GLuint buffer);
  // A framebuffer with `colour` (may be null) and `depth` (may be null) attached.
  GLuint FramebufferFor(Surface* colour, Surface* depth);
  // Everything GL is known to hold becomes unknown.
  void InvalidateGlCache();

 private:
  Device(Direct3D* d3d, UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags,
         const D3DPRESENT_PARAMETERS& parameters);
  ~Device();
  bool InitializeGl(std::string* error);
  void SetDefaultStates();

  // state_apply.cpp
  void ApplyFramebuffer();
  void ApplyViewport();
  void ApplyRasterState();
  void ApplyTextures();
  void ApplySampler(int stage);
  bool ApplyProgram();
  void ApplyUniforms();
  void BindTexture(int unit, GLenum target, GLuint texture);
  void SetBlend(bool enable);
  void SetColorMask(int mask);
  void SetDepthMask(bool enable);
  void SetScissor(bool enable);

  // draw.cpp
  bool PrepareDraw();
  // `verticesRead` is one past the highest vertex the draw reads from the bound streams;
  // a draw that would read past any stream's buffer is refused. A stream-zero override (the
  // data of a UP draw) is checked by its caller.
  bool SetUpVertexInput(GLuint streamZeroBuffer, UINT streamZeroStride, uint64_t verticesRead);
  // The largest index in [start, start + count) of the bound index buffer.
  UINT MaxIndex(UINT start, UINT count);
  void SetAttribute(int location, const AttributeSource& source);
  HRESULT UploadStream(const void* data, UINT bytes, UINT alignment, bool indices,
                       UINT* offset);
  HRESULT DrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount, bool indexed,
                     UINT startVertexOrIndex, GLenum indexType, uintptr_t indexOffset,
                     GLint baseVertex, GLuint streamZeroBuffer, UINT streamZeroStride);
  void AttachSurface(GLenum target, Surface* surface, bool depth);
  HRESULT CopySurfaceRect(Surface* source, const RECT& rect, Surface* destination, POINT at);

  // program_cache.cpp
  GLuint LinkProgram(const std::string& vertexSource, const std::string& fragmentSource,
                     std::string* error);

  void LogOnce(const std::string& message);

  ULONG refs_ = 1;
  Direct3D* d3d_;
  UINT adapter_;
  D3DDEVTYPE deviceType_;
  HWND window_;
  DWORD behaviorFlags_;
  D3DPRESENT_PARAMETERS parameters_;

  Surface* backBuffer_ = nullptr;
  Surface* renderTarget_ = nullptr;
  Surface* depthStencil_ = nullptr;
  GLuint presentFramebuffer_ = 0;
  std::map<std::pair<Surface*, Surface*>, GLuint> framebuffers_;
  bool inScene_ = false;

  DWORD renderStates_[kRenderStateCount] = {};
  DWORD stageStates_[kMaxTextureStages][kStageStateCount] = {};
  IDirect3DBaseTexture8* textures_[kMaxTextureStages] = {};
  TextureStorage* textureStorage_[kMaxTextureStages] = {};
  D3DVIEWPORT8 viewport_ = {};
  std::map<DWORD, D3DMATRIX> transforms_;
  D3DMATERIAL8 material_ = {};
  std::map<DWORD, std::pair<D3DLIGHT8, BOOL>> lights_;

  struct Stream {
    VertexBuffer* buffer = nullptr;
    UINT stride = 0;
  };
  Stream streams_[kMaxStreams];
  IndexBuffer* indices_ = nullptr;
  UINT baseVertexIndex_ = 0;

  DWORD vertexShader_ = 0;  // an FVF code, or a handle (odd) from CreateVertexShader
  DWORD pixelShader_ = 0;
  std::vector<std::unique_ptr<VertexShaderEntry>> vertexShaders_;
  std::vector<std::unique_ptr<PixelShaderEntry>> pixelShaders_;
  float vsConstants_[kVertexShaderConstantCount][4] = {};
  float psConstants_[kPixelShaderConstantCount][4] = {};

  // Dirty flags: what changed since the last draw.
  bool framebufferDirty_ = true;
  bool viewportDirty_ = true;
  bool rasterDirty_ = true;
  bool programDirty_ = true;
  bool drawStateDirty_ = true;
  bool transformDirty_ = true;
  bool vsConstantsDirty_ = true;
  bool psConstantsDirty_ = true;
  bool inputDirty_ = true;
  uint32_t samplerDirty_ = 0xff;
  uint32_t textureDirty_ = 0xff;

  // GL objects owned by the device.
  GlCache gl_;
  GLuint vertexArray_ = 0;
  GLuint samplers_[kMaxTextureStages] = {};
  GLuint drawStateBuffer_ = 0;
  GLuint vsConstantBuffer_ = 0;
  GLuint psConstantBuffer_ = 0;
  GLuint streamBuffer_ = 0;
  UINT streamBufferSize_ = 0;
  UINT streamBufferOffset_ = 0;
  GLuint indexStreamBuffer_ = 0;
  UINT indexStreamBufferSize_ = 0;
  UINT indexStreamBufferOffset_ = 0;
  GLuint readFramebuffer_ = 0;

  // Vertex input as last set up.
  AttributeSource attributes_[kMaxVertexInputs];
  uint32_t enabledAttributes_ = 0;
  GLuint boundElementBuffer_ = 0;
  DWORD inputLayoutKey_ = ~0u;
  struct {
    const BufferStorage* buffer = nullptr;
    uint32_t version = 0;
    UINT start = 0, count = 0, max = 0;
  } maxIndexCache_;

  // Programs by the key of the stages they join.
  struct Program {
    GLuint name = 0;
  };
  std::unordered_map<std::string, Program> programs_;
  GLuint currentProgram_ = 0;
  std::string lastProgramKey_;
  FixedPixelKey pixelKey_;
  TextureKinds textureKinds_{};

  std::vector<std::string> loggedMessages_;
};

}  // namespace platform::d3d8
