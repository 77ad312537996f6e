// Keyboard and window-manager input becoming queued messages. Live input comes from SDL events;
// the offline host feeds its key script through the same calls.
#include <SDL.h>

#include "host/host.h"
#include "virtual_keys.h"
#include "window_system.h"
#include "window_table.h"

namespace platform::win32 {
namespace {

struct ModifierState {
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
};

ModifierState& Modifiers() {
  static ModifierState state;
  return state;
}

void HandleSdlEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      HWND target = WindowFromNativeId(e.key.windowID);
      if (!target) target = FocusWindow();
      const UINT vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
      if (vk) PostKeyInput(target, vk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
      break;
    }
    case SDL_WINDOWEVENT: {
      const HWND target = WindowFromNativeId(e.window.windowID);
      Window* w = FindWindowRecord(target);
      if (!w) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          PostCloseRequest(target);
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          PostMessageA(target, WM_SIZE, 0,
                       static_cast<LPARAM>((static_cast<DWORD>(e.window.data2) << 16) |
                                           (static_cast<DWORD>(e.window.data1) & 0xFFFF)));
          break;
        case SDL_WINDOWEVENT_MINIMIZED:
          w->minimized = true;
          break;
        case SDL_WINDOWEVENT_RESTORED:
          w->minimized = false;
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace

void PostKeyInput(HWND window, UINT virtualKey, bool down, bool repeat) {
  ModifierState& mods = Modifiers();
  const KeyMessage m = ComposeKeyMessage(virtualKey, down, repeat, mods.alt, mods.ctrl);
  if (virtualKey == VK_MENU) mods.alt = down;
  if (virtualKey == VK_CONTROL) mods.ctrl = down;
  if (virtualKey == VK_SHIFT) mods.shift = down;
  PostMessageA(window, m.message, virtualKey, m.lParam);
}

void PostCloseRequest(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void CollectHostInput() {
  if (platform::host::CurrentMode() != platform::host::Mode::Live) return;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) HandleSdlEvent(e);
}

bool WaitForHostInput() {
  if (platform::host::CurrentMode() != platform::host::Mode::Live) return false;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  return SDL_WaitEvent(nullptr) == 1;
}

}  // namespace platform::win32

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  const UINT vk = static_cast<UINT>(msg->wParam);
  const bool shift = platform::win32::Modifiers().shift;
  WPARAM ch = 0;
  if (vk >= 'A' && vk <= 'Z') {
    ch = shift ? vk : vk - 'A' + 'a';
  } else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE ||
             vk == VK_TAB || vk == VK_BACK) {
    ch = vk;
  } else {
    return FALSE;
  }
  const UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  PostMessageA(msg->hwnd, charMessage, ch, msg->lParam);
  return TRUE;
}
