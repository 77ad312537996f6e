#include "virtual_keys.h"

#include <SDL.h>

namespace platform::win32 {

UINT VirtualKeyFromSdl(int keycode, int scancode) {
  if (keycode >= 'a' && keycode <= 'z') return static_cast<UINT>(keycode - 'a' + 'A');
  if (keycode >= '0' && keycode <= '9') return static_cast<UINT>(keycode);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
    return VK_NUMPAD1 + static_cast<UINT>(scancode - SDL_SCANCODE_KP_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
    return VK_F1 + static_cast<UINT>(scancode - SDL_SCANCODE_F1);
  switch (scancode) {
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    default: break;
  }
  switch (keycode) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: return 0;
  }
}

KeyMessage ComposeKeyMessage(UINT virtualKey, bool down, bool repeat, bool altHeld, bool ctrlHeld) {
  // Ctrl+Alt is how many layouts type characters, so Windows keeps those plain key messages.
  const bool system = (virtualKey == VK_MENU || altHeld || virtualKey == VK_F10) && !ctrlHeld;
  KeyMessage m{};
  if (system) {
    m.message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  } else {
    m.message = down ? WM_KEYDOWN : WM_KEYUP;
  }
  DWORD bits = 1;  // repeat count
  if (altHeld || (virtualKey == VK_MENU && down)) bits |= 1u << 29;
  if (!down || repeat) bits |= 1u << 30;
  if (!down) bits |= 1u << 31;
  m.lParam = static_cast<LPARAM>(static_cast<int32_t>(bits));
  return m;
}

}  // namespace platform::win32
