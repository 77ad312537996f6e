// Windows virtual-key codes for SDL keys, and the key messages Windows sends for them.
#pragma once

#include <windows.h>

namespace platform::win32 {

// The virtual-key code of an SDL key (keycode for letters and digits, so the layout decides as
// it does on Windows; scancode for the keypad). 0 for keys Windows has no code for.
UINT VirtualKeyFromSdl(int keycode, int scancode);

struct KeyMessage {
  UINT message;  // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
  LPARAM lParam;
};

// Keys pressed while Alt is held (and Ctrl is not), Alt itself and F10 are system keys; the rest
// are plain key messages. lParam carries a repeat count of 1, the Alt context bit (29), the
// previous-state bit (30: set on auto-repeat and on release) and the transition bit (31: release).
KeyMessage ComposeKeyMessage(UINT virtualKey, bool down, bool repeat, bool altHeld, bool ctrlHeld);

}  // namespace platform::win32
