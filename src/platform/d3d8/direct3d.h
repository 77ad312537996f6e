// IDirect3D8: the adapter, its display modes and capabilities, and device creation.
#pragma once

#include <d3d8.h>

#include "ref_counted.h"

namespace platform::d3d8 {

class Direct3D final : public RefCounted<IDirect3D8> {
 public:
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags,
                               D3DADAPTER_IDENTIFIER8* identifier) override;
  UINT GetAdapterModeCount(UINT adapter) override;
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                          D3DFORMAT backBufferFormat, BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                            DWORD usage, D3DRESOURCETYPE resourceType,
                            D3DFORMAT checkFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType,
                                     D3DFORMAT surfaceFormat, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE multiSampleType) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat,
                                 D3DFORMAT depthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                       DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                       IDirect3DDevice8** device) override;
};

// What this device can do, as D3D8 reports it. Shared by IDirect3D8 and the device.
void FillDeviceCaps(D3DDEVTYPE deviceType, D3DCAPS8* caps);

}  // namespace platform::d3d8
