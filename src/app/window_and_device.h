// The one window and the one Direct3D 8 device of the demo, made once after the setup dialog and
// kept until the process ends.
#pragma once

#include <d3d8.h>
#include <windows.h>

extern HWND mainWindow;
extern IDirect3D8* direct3D;
extern IDirect3DDevice8* device;
extern IDirect3DSurface8* depthStencilSurface;

// 1 when every step ran, E_FAIL when no Direct3D object or no device could be had (an error box
// has then said why, and `device` is null).
HRESULT CreateWindowAndDevice();
