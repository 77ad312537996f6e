// The main window's procedure and the key table it fills.
#pragma once

#include <windows.h>

// 1 from a key's WM_KEYDOWN to its WM_KEYUP, by virtual-key code. Read by the main loop (Escape),
// the frame composition (Space) and the frame routine ('1').
extern INT keyDown[256];

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
