// The mouse cursor's display counter and the message box.
#include <SDL.h>

#include <cstdio>

#include "host/host.h"
#include "window_system.h"

namespace platform::win32 {
namespace {
int cursorCounter = 0;
}

int CursorCounter() { return cursorCounter; }

std::string MessageBoxLine(LPCSTR caption, LPCSTR text) {
  std::string line = caption ? caption : "Error";
  line += ": ";
  line += text ? text : "";
  // One line, whatever the text holds.
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

}  // namespace platform::win32

int ShowCursor(BOOL show) {
  int& counter = platform::win32::cursorCounter;
  counter += show ? 1 : -1;
  if (platform::host::CurrentMode() == platform::host::Mode::Live && SDL_WasInit(SDL_INIT_VIDEO))
    SDL_ShowCursor(counter >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return counter;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (platform::host::CurrentMode() == platform::host::Mode::Live && SDL_WasInit(SDL_INIT_VIDEO)) {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    const UINT icon = type & 0xF0;
    if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    // The box needs a pointer to click on even when the program hid it.
    const int shown = SDL_ShowCursor(SDL_QUERY);
    SDL_ShowCursor(SDL_ENABLE);
    const int result = SDL_ShowSimpleMessageBox(flags, caption ? caption : "Error", text ? text : "",
                                                platform::win32::NativeWindow(owner));
    SDL_ShowCursor(shown);
    if (result == 0) return IDOK;
  }
  // Offline (or when no box can be shown): one line on standard error, never waiting for anyone.
  std::fprintf(stderr, "%s\n", platform::win32::MessageBoxLine(caption, text).c_str());
  std::fflush(stderr);
  return IDOK;
}
