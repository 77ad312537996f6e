// The program's entry and main loop.
#pragma once

#include <windows.h>

// Handles the messages pending now, without waiting. 1 when WM_QUIT came, else 0.
int PumpMessages();

// Exit code of a run the demo could not start (no Direct3D device): distinct from a normal
// end (0) and a closed window (1).
constexpr int kExitCannotStart = 2;
