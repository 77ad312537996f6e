// The setup dialog's answers and the dialog itself.
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
};

// Written only by the dialog, read by everything that needs the screen size afterwards.
extern DisplaySettings displaySettings;

// 1 after OK (the answers are in displaySettings), 0 after Cancel or the close box.
INT_PTR RunSetupDialog(HINSTANCE instance);
