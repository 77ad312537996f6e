#include "app/window_and_device.h"

#include <cstdio>

#include "app/error_box.h"
#include "app/setup_dialog.h"
#include "app/window_procedure.h"

HWND mainWindow = nullptr;
IDirect3D8* direct3D = nullptr;
IDirect3DDevice8* device = nullptr;
IDirect3DSurface8* depthStencilSurface = nullptr;

HRESULT CreateWindowAndDevice() {
  const DisplaySettings& s = displaySettings;

  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "wndclass";
  RegisterClassExA(&windowClass);

  // The size is the outer size, frame and caption included.
  mainWindow = CreateWindowExA(0, "wndclass", "Engine", WS_OVERLAPPEDWINDOW, 0, 0,
                               static_cast<int>(s.width), static_cast<int>(s.height), nullptr,
                               nullptr, windowClass.hInstance, nullptr);
  ShowCursor(FALSE);

  direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  if (!direct3D) {
    ShowError("Direct3D 8 is not available.");
    return E_FAIL;
  }

  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = s.width;
  parameters.BackBufferHeight = s.height;
  parameters.BackBufferFormat = s.backBufferFormat;
  parameters.BackBufferCount = s.backBufferCount;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = nullptr;
  parameters.Windowed = static_cast<BOOL>(s.windowed);
  parameters.EnableAutoDepthStencil = FALSE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.Flags = 0;
  parameters.FullScreen_RefreshRateInHz = 0;
  parameters.FullScreen_PresentationInterval = 0;

  const DWORD behaviour = s.hardwareVertexProcessing == 1 ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                          : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  // "Ref Device" asks for the software rasteriser; the other choices draw on the GL driver.
  const D3DDEVTYPE type = s.referenceDevice ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
  const HRESULT created = direct3D->CreateDevice(D3DADAPTER_DEFAULT, type, mainWindow,
                                                 behaviour, &parameters, &device);
  // Every drawing step needs the device: without one, say so instead of failing later.
  if (FAILED(created) || !device) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The Direct3D device (%ux%u) could not be created (error 0x%08X).", s.width,
                  s.height, static_cast<unsigned>(created));
    device = nullptr;
    ShowError(text);
    return E_FAIL;
  }

  device->CreateDepthStencilSurface(s.width, s.height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                    &depthStencilSurface);
  device->SetRenderTarget(nullptr, depthStencilSurface);

  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  }

  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF303030);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  return 1;
}
