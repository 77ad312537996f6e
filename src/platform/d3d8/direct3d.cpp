#include "direct3d.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "adapter.h"
#include "device.h"
#include "format.h"

namespace platform::d3d8 {

UINT Direct3D::GetAdapterCount() { return 1; }

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) {
  if (adapter != 0 || !identifier) return D3DERR_INVALIDCALL;
  std::memset(identifier, 0, sizeof(*identifier));
  std::snprintf(identifier->Driver, sizeof(identifier->Driver), "vantrel-gl");
  std::snprintf(identifier->Description, sizeof(identifier->Description),
                "OpenGL 3.3 core adapter");
  return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter) {
  if (adapter != 0) return 0;
  return static_cast<UINT>(AdapterModes().size());
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
  if (adapter != 0 || !displayMode) return D3DERR_INVALIDCALL;
  std::vector<D3DDISPLAYMODE> modes = AdapterModes();
  if (mode >= modes.size()) return D3DERR_INVALIDCALL;
  *displayMode = modes[mode];
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
  if (adapter != 0 || !displayMode) return D3DERR_INVALIDCALL;
  *displayMode = AdapterDisplayMode();
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT,
                                  D3DFORMAT backBufferFormat, BOOL) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (checkType != D3DDEVTYPE_HAL && checkType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
  const FormatInfo& info = DescribeFormat(backBufferFormat);
  return info.renderable && !info.depth ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  const FormatInfo& info = DescribeFormat(checkFormat);
  if (info.bytesPerPixel == 0) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_RENDERTARGET) && (!info.renderable || info.depth)) {
    return D3DERR_NOTAVAILABLE;
  }
  if ((usage & D3DUSAGE_DEPTHSTENCIL) && !info.depth) return D3DERR_NOTAVAILABLE;
  if (info.depth && resourceType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                             D3DMULTISAMPLE_TYPE multiSampleType) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  return multiSampleType == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT,
                                         D3DFORMAT depthStencilFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  return DescribeFormat(depthStencilFormat).depth ? D3D_OK : D3DERR_NOTAVAILABLE;
}

void FillDeviceCaps(D3DDEVTYPE deviceType, D3DCAPS8* caps) {
  std::memset(caps, 0, sizeof(*caps));
  caps->DeviceType = deviceType;
  caps->AdapterOrdinal = 0;
  caps->Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
  caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  // GL does the vertex work, so the device counts as transform-and-lighting hardware.
  caps->DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                  D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                  D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                  D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                  D3DDEVCAPS_HWRASTERIZATION;
  caps->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                            D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE |
                            D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP;
  caps->RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_MIPMAPLODBIAS;
  DWORD allCmp = 0xff;
  caps->ZCmpCaps = allCmp;
  caps->AlphaCmpCaps = allCmp;
  caps->SrcBlendCaps = 0x1fff;
  caps->DestBlendCaps = 0x03ff;
  caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                    D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA |
                      D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_MIPMAP |
                      D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_PROJECTED;
  DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                  D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                  D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  caps->TextureFilterCaps = filters;
  caps->CubeTextureFilterCaps = filters;
  caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                             D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER |
                             D3DPTADDRESSCAPS_INDEPENDENTUV;
  caps->LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND |
                   D3DLINECAPS_ALPHACMP;
  caps->MaxTextureWidth = 4096;
  caps->MaxTextureHeight = 4096;
  caps->MaxTextureRepeat = 8192;
  caps->MaxTextureAspectRatio = 4096;
  caps->MaxAnisotropy = 1;
  caps->MaxVertexW = 1e10f;
  caps->GuardBandLeft = -8192.0f;
  caps->GuardBandTop = -8192.0f;
  caps->GuardBandRight = 8192.0f;
  caps->GuardBandBottom = 8192.0f;
  caps->StencilCaps = 0xff;
  caps->FVFCaps = 8;
  caps->TextureOpCaps = 0x03ffffff;
  caps->MaxTextureBlendStages = 8;
  caps->MaxSimultaneousTextures = 8;
  caps->MaxActiveLights = 0;
  caps->MaxPointSize = 64.0f;
  caps->MaxPrimitiveCount = 0xfffff;
  caps->MaxVertexIndex = 0xffffff;
  caps->MaxStreams = 16;
  caps->MaxStreamStride = 255;
  caps->VertexShaderVersion = D3DVS_VERSION(1, 1);
  caps->MaxVertexShaderConst = 96;
  caps->PixelShaderVersion = D3DPS_VERSION(1, 4);
  caps->MaxPixelShaderValue = 8.0f;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) {
  if (adapter != 0 || !caps) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
  FillDeviceCaps(deviceType, caps);
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                               IDirect3DDevice8** device) {
  if (device) *device = nullptr;
  if (adapter != 0 || !parameters || !device) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_INVALIDCALL;
  Device* created = nullptr;
  std::string error;
  HRESULT hr = Device::Create(this, adapter, deviceType, focusWindow, behaviorFlags, *parameters,
                              &created, &error);
  if (FAILED(hr)) {
    std::fprintf(stderr, "Direct3D: CreateDevice failed: %s\n", error.c_str());
    return hr;
  }
  *device = created;
  return D3D_OK;
}

}  // namespace platform::d3d8

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  return new platform::d3d8::Direct3D();
}
