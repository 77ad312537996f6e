#include "app/setup_dialog.h"

#include <commctrl.h>

#include <cstdio>

#include "app/resource_ids.h"

DisplaySettings displaySettings;
D3DDISPLAYMODE* modeList = nullptr;
UINT modeCount = 0;
char modeLabels[kMaxModeLabels][32];

namespace {

const char* const kDeviceNames[] = {"Hal Device", "T&L Hal Device", "Ref Device"};

unsigned BitsOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
      return 16;
    case D3DFMT_R8G8B8:
      return 24;
    default:
      // X8R8G8B8, A8R8G8B8 and anything wider.
      return 32;
  }
}

}  // namespace

void BuildModeList(IDirect3D8* direct3D) {
  modeCount = 0;
  displaySettings.hardwareVertexProcessing = 0;
  if (!direct3D) return;
  const UINT available = direct3D->GetAdapterModeCount(D3DADAPTER_DEFAULT);
  delete[] modeList;
  modeList = new D3DDISPLAYMODE[available ? available : 1];
  for (UINT i = 0; i < available && modeCount < kMaxModeLabels; ++i) {
    D3DDISPLAYMODE mode{};
    if (FAILED(direct3D->EnumAdapterModes(D3DADAPTER_DEFAULT, i, &mode))) continue;
    if (mode.Width >= 640 && mode.Height >= 480 && mode.RefreshRate == 60)
      modeList[modeCount++] = mode;
  }
  for (UINT i = 0; i < modeCount; ++i)
    std::snprintf(modeLabels[i], sizeof modeLabels[i], "%ux%ux%u", modeList[i].Width,
                  modeList[i].Height, BitsOf(modeList[i].Format));
  D3DCAPS8 caps{};
  direct3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
  displaySettings.hardwareVertexProcessing =
      (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0 ? 1 : 0;
}

INT_PTR CALLBACK SetupDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CheckDlgButton(dialog, kTripleBufferingId, BST_CHECKED);
      for (UINT i = 0; i < modeCount; ++i)
        SendDlgItemMessageA(dialog, kResolutionListId, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(modeLabels[i]));
      for (const char* name : kDeviceNames)
        SendDlgItemMessageA(dialog, kDeviceListId, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(name));
      UINT preselected = 0;
      for (UINT i = 0; i < modeCount; ++i)
        if (modeList[i].Width == 800 && modeList[i].Height == 600 &&
            modeList[i].Format == D3DFMT_X8R8G8B8)
          preselected = i;
      SendDlgItemMessageA(dialog, kResolutionListId, CB_SETCURSEL, preselected, 0);
      SendDlgItemMessageA(dialog, kDeviceListId, CB_SETCURSEL,
                          displaySettings.hardwareVertexProcessing, 0);
      displaySettings.windowed = 0;
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          const LRESULT mode = SendDlgItemMessageA(dialog, kResolutionListId, CB_GETCURSEL, 0, 0);
          if (mode < 0 || static_cast<UINT>(mode) >= modeCount) {
            // Nothing to start with: say so and leave Cancel as the way out.
            MessageBoxA(dialog, "No display mode of at least 640x480 at 60 Hz is available.",
                        "Engine setup", MB_OK | MB_ICONERROR);
            return FALSE;
          }
          displaySettings.backBufferCount =
              IsDlgButtonChecked(dialog, kTripleBufferingId) == BST_CHECKED ? 2 : 1;
          displaySettings.windowed = IsDlgButtonChecked(dialog, kWindowedId) == BST_CHECKED ? 1 : 0;
          displaySettings.width = modeList[mode].Width;
          displaySettings.height = modeList[mode].Height;
          displaySettings.refreshRate = modeList[mode].RefreshRate;
          displaySettings.backBufferFormat = modeList[mode].Format;
          const LRESULT device = SendDlgItemMessageA(dialog, kDeviceListId, CB_GETCURSEL, 0, 0);
          if (device == 1) displaySettings.hardwareVertexProcessing = 1;
          displaySettings.referenceDevice = device == 2 ? 1 : 0;
          EndDialog(dialog, 1);
          return FALSE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return FALSE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR RunSetupDialog(HINSTANCE instance) {
  IDirect3D8* direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  BuildModeList(direct3D);
  if (direct3D) direct3D->Release();
  InitCommonControls();
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(kSetupDialogId), nullptr, SetupDialogProcedure,
                         0);
}
