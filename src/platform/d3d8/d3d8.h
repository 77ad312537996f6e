// Direct3D 8 stand-in on OpenGL 3.3 core. The interfaces are COM-like abstract classes with
// AddRef / Release and HRESULT results; the methods keep the signatures the demo is written
// against. Methods this engine has no use for answer D3DERR_INVALIDCALL.
#pragma once

#include <windows.h>

#include "d3d8caps.h"
#include "d3d8types.h"

#define D3D_SDK_VERSION 120

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) ((HRESULT)(((DWORD)1 << 31) | ((DWORD)_FACD3D << 16) | (DWORD)(code)))

#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDCOLORARG MAKE_D3DHRESULT(2074)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2075)
#define D3DERR_UNSUPPORTEDALPHAARG MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGTEXTUREFILTER MAKE_D3DHRESULT(2078)
#define D3DERR_UNSUPPORTEDFACTORVALUE MAKE_D3DHRESULT(2079)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_CONFLICTINGTEXTUREPALETTE MAKE_D3DHRESULT(2086)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)

#define D3DADAPTER_DEFAULT 0
#define D3DCURRENT_DISPLAY_MODE 0x00EFFFFFL

#define D3DCREATE_FPU_PRESERVE 0x00000002L
#define D3DCREATE_MULTITHREADED 0x00000004L
#define D3DCREATE_PUREDEVICE 0x00000010L
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020L
#define D3DCREATE_HARDWARE_VERTEXPROCESSING 0x00000040L
#define D3DCREATE_MIXED_VERTEXPROCESSING 0x00000080L

#define D3DSPD_IUNKNOWN 0x00000001L

#define D3DSETSTATUS_STATUS 0x00000001L

struct RGNDATA;

struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DResource8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DCubeTexture8;
struct IDirect3DSurface8;
struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;

// Reference counting only: this engine never asks an object for another interface.
struct IUnknown {
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() {}
};

struct IDirect3D8 : IUnknown {
  virtual UINT GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                                       D3DADAPTER_IDENTIFIER8* identifier) = 0;
  virtual UINT GetAdapterModeCount(UINT adapter) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
  virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                                  D3DFORMAT backBufferFormat, BOOL windowed) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType,
                                    D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
  virtual HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                             D3DFORMAT surfaceFormat, BOOL windowed,
                                             D3DMULTISAMPLE_TYPE multiSampleType) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType,
                                         D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                         D3DFORMAT depthStencilFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                               IDirect3DDevice8** returnedDeviceInterface) = 0;
};

struct IDirect3DDevice8 : IUnknown {
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;
  virtual HRESULT ResourceManagerDiscardBytes(DWORD bytes) = 0;
  virtual HRESULT GetDirect3D(IDirect3D8** d3d8) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
  virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
  virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* presentationParameters) = 0;
  virtual HRESULT Present(const RECT* sourceRect, const RECT* destRect,
                          HWND destWindowOverride, const RGNDATA* dirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface8** backBufferSurface) = 0;
  virtual HRESULT GetRasterStatus(D3DRASTER_STATUS* rasterStatus) = 0;
  virtual void SetGammaRamp(DWORD flags, const D3DGAMMARAMP* ramp) = 0;
  virtual void GetGammaRamp(D3DGAMMARAMP* ramp) = 0;

  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) = 0;
  virtual HRESULT CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** vertexBuffer) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer8** indexBuffer) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                     D3DMULTISAMPLE_TYPE multiSample, BOOL lockable,
                                     IDirect3DSurface8** surface) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DMULTISAMPLE_TYPE multiSample,
                                            IDirect3DSurface8** surface) = 0;
  virtual HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                     IDirect3DSurface8** surface) = 0;
  virtual HRESULT CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects,
                            UINT rectCount, IDirect3DSurface8* destinationSurface,
                            const POINT* destPoints) = 0;
  virtual HRESULT UpdateTexture(IDirect3DBaseTexture8* sourceTexture,
                                IDirect3DBaseTexture8* destinationTexture) = 0;
  virtual HRESULT GetFrontBuffer(IDirect3DSurface8* destSurface) = 0;
  virtual HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget,
                                  IDirect3DSurface8* newZStencil) = 0;
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) = 0;

  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                        DWORD stencil) = 0;

  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
  virtual HRESULT GetLight(DWORD index, D3DLIGHT8* light) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT GetLightEnable(DWORD index, BOOL* enable) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;

  virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD* value) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD value) = 0;
  virtual HRESULT ValidateDevice(DWORD* numPasses) = 0;

  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                UINT primitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, UINT minIndex,
                                       UINT numVertices, UINT startIndex,
                                       UINT primitiveCount) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                  const void* vertexStreamZeroData,
                                  UINT vertexStreamZeroStride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                         UINT numVertexIndices, UINT primitiveCount,
                                         const void* indexData, D3DFORMAT indexDataFormat,
                                         const void* vertexStreamZeroData,
                                         UINT vertexStreamZeroStride) = 0;

  virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function,
                                     DWORD* handle, DWORD usage) = 0;
  virtual HRESULT SetVertexShader(DWORD handle) = 0;
  virtual HRESULT GetVertexShader(DWORD* handle) = 0;
  virtual HRESULT DeleteVertexShader(DWORD handle) = 0;
  virtual HRESULT SetVertexShaderConstant(DWORD reg, const void* constantData,
                                          DWORD constantCount) = 0;
  virtual HRESULT GetVertexShaderConstant(DWORD reg, void* constantData,
                                          DWORD constantCount) = 0;

  virtual HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                                  UINT stride) = 0;
  virtual HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                                  UINT* stride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex) = 0;
  virtual HRESULT GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex) = 0;

  virtual HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) = 0;
  virtual HRESULT SetPixelShader(DWORD handle) = 0;
  virtual HRESULT GetPixelShader(DWORD* handle) = 0;
  virtual HRESULT DeletePixelShader(DWORD handle) = 0;
  virtual HRESULT SetPixelShaderConstant(DWORD reg, const void* constantData,
                                         DWORD constantCount) = 0;
  virtual HRESULT GetPixelShaderConstant(DWORD reg, void* constantData,
                                         DWORD constantCount) = 0;
};

struct IDirect3DResource8 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  virtual DWORD SetPriority(DWORD priorityNew) = 0;
  virtual DWORD GetPriority() = 0;
  virtual void PreLoad() = 0;
  virtual D3DRESOURCETYPE GetType() = 0;
};

struct IDirect3DBaseTexture8 : IDirect3DResource8 {
  virtual DWORD SetLOD(DWORD lodNew) = 0;
  virtual DWORD GetLOD() = 0;
  virtual DWORD GetLevelCount() = 0;
};

struct IDirect3DTexture8 : IDirect3DBaseTexture8 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                           DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;
  virtual HRESULT AddDirtyRect(const RECT* dirtyRect) = 0;
};

struct IDirect3DCubeTexture8 : IDirect3DBaseTexture8 {
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES faceType, UINT level,
                                    IDirect3DSurface8** cubeMapSurface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES faceType, UINT level, D3DLOCKED_RECT* lockedRect,
                           const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES faceType, UINT level) = 0;
  virtual HRESULT AddDirtyRect(D3DCUBEMAP_FACES faceType, const RECT* dirtyRect) = 0;
};

struct IDirect3DVertexBuffer8 : IDirect3DResource8 {
  virtual HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer8 : IDirect3DResource8 {
  virtual HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DSurface8 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice8** device) = 0;
  // The texture that owns this surface as one of its levels; D3DERR_INVALIDCALL for a
  // surface that stands alone.
  virtual HRESULT GetContainer(IDirect3DBaseTexture8** container) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;
};

typedef IDirect3D8* LPDIRECT3D8;
typedef IDirect3D8* PDIRECT3D8;
typedef IDirect3DDevice8* LPDIRECT3DDEVICE8;
typedef IDirect3DDevice8* PDIRECT3DDEVICE8;
typedef IDirect3DResource8* LPDIRECT3DRESOURCE8;
typedef IDirect3DBaseTexture8* LPDIRECT3DBASETEXTURE8;
typedef IDirect3DTexture8* LPDIRECT3DTEXTURE8;
typedef IDirect3DCubeTexture8* LPDIRECT3DCUBETEXTURE8;
typedef IDirect3DSurface8* LPDIRECT3DSURFACE8;
typedef IDirect3DVertexBuffer8* LPDIRECT3DVERTEXBUFFER8;
typedef IDirect3DIndexBuffer8* LPDIRECT3DINDEXBUFFER8;

// Returns null when sdkVersion is not the one this interface was built for.
IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);
