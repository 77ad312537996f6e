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
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.button != SDL_BUTTON_LEFT) break;
      const HWND target = WindowFromNativeId(e.button.windowID);
      if (target)
        PostMessageA(target, e.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP,
                     e.type == SDL_MOUSEBUTTONDOWN ? VK_LBUTTON : 0,
                     MAKELPARAM(e.button.x, e.button.y));
      break;
    }
    case SDL_MOUSEMOTION: {
      const HWND target = WindowFromNativeId(e.motion.windowID);
      if (target)
        PostMessageA(target, WM_MOUSEMOVE, (e.motion.state & SDL_BUTTON_LMASK) ? VK_LBUTTON : 0,
                     MAKELPARAM(e.motion.x, e.motion.y));
      break;
    }
    case SDL_MOUSEWHEEL: {
      const HWND target = WindowFromNativeId(e.wheel.windowID);
      int x = 0, y = 0;
      SDL_GetMouseState(&x, &y);
      const int delta = (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) *
                        WHEEL_DELTA;
      if (target)
        PostMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                     MAKELPARAM(x, y));
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
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
          PostMessageA(target, WM_PAINT, 0, 0);
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
  PostMessageA(window, m.message, virtualKey, m.lParam);
}

namespace {
bool shiftAtRetrieval = false;
}

bool ShiftHeld() { return shiftAtRetrieval; }

void NoteRetrievedMessage(const MSG& m) {
  if (m.wParam != VK_SHIFT) return;
  if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) shiftAtRetrieval = true;
  if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP) shiftAtRetrieval = false;
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
  const bool shift = platform::win32::ShiftHeld();
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
