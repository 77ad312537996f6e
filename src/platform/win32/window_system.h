// The window manager behind the Win32 stand-in, as the hosts and tests see it: windows,
// their native SDL windows in the live host, and the input that hosts feed into the queue.
#pragma once

#include <string>

#include <windows.h>

struct SDL_Window;

namespace platform::win32 {

// The SDL window behind a top-level window in the live host; null offline or for unknown handles.
SDL_Window* NativeWindow(HWND window);

// The window whose native window has this SDL id; null when none.
HWND WindowFromNativeId(unsigned id);

// The window keyboard input goes to when the host does not say: the newest top-level window
// that still exists.
HWND FocusWindow();

// Queues the key message a physical key produces, with Windows' rules for system keys
// (Alt held without Ctrl, Alt itself, F10) and the repeat / transition bits in lParam.
// The Alt and Ctrl state is taken from the keys passed here.
void PostKeyInput(HWND window, UINT virtualKey, bool down, bool repeat);

// Whether Shift was down when the key message retrieved last was made (as GetKeyState answers
// on Windows: in step with the queue, not with the keyboard).
bool ShiftHeld();

// Queues what the close box (or the window manager's close request) produces.
void PostCloseRequest(HWND window);

// The text a message box shows on standard error: caption and text on one line.
std::string MessageBoxLine(LPCSTR caption, LPCSTR text);

// Current ShowCursor display counter (the cursor shows while it is 0 or more).
int CursorCounter();

}  // namespace platform::win32
