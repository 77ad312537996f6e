// The setup dialog: the offered display modes, the dialog, and the answers it leaves behind.
#pragma once

#include <d3d8.h>
#include <windows.h>

struct DisplaySettings {
  UINT width;
  UINT height;
  UINT refreshRate;
  D3DFORMAT backBufferFormat;
  UINT backBufferCount;  // 2 with triple buffering, else 1
  UINT windowed;
  UINT hardwareVertexProcessing;
  UINT referenceDevice;  // "Ref Device" chosen: the device uses the software rasteriser
};

// Written only by the dialog, read by everything that needs the screen size afterwards.
extern DisplaySettings displaySettings;

// The offered modes: at least 640x480 at exactly 60 Hz, in the adapter's order, at most
// kMaxModeLabels of them (one combo item and one label each).
constexpr int kMaxModeLabels = 50;
extern D3DDISPLAYMODE* modeList;
extern UINT modeCount;
extern char modeLabels[kMaxModeLabels][32];

// Builds the mode list from adapter 0 and sets hardwareVertexProcessing from its HAL caps.
void BuildModeList(IDirect3D8* direct3D);

// The dialog procedure of resource 101.
INT_PTR CALLBACK SetupDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// 1 after OK (the answers are in displaySettings), 0 after Cancel or the close box, -1 when the
// dialog could not be shown.
INT_PTR RunSetupDialog(HINSTANCE instance);
