#include <SDL.h>
#include <gtest/gtest.h>

#include "win32/virtual_keys.h"

using platform::win32::ComposeKeyMessage;
using platform::win32::VirtualKeyFromSdl;

TEST(VirtualKeys, FromSdlKeys) {
  const struct {
    int keycode, scancode;
    UINT vk;
  } cases[] = {
      {SDLK_a, SDL_SCANCODE_A, 'A'},           {SDLK_z, SDL_SCANCODE_Z, 'Z'},
      {SDLK_0, SDL_SCANCODE_0, '0'},           {SDLK_1, SDL_SCANCODE_1, '1'},
      {SDLK_9, SDL_SCANCODE_9, '9'},           {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},    {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},
      {SDLK_TAB, SDL_SCANCODE_TAB, 9},         {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
      {SDLK_UP, SDL_SCANCODE_UP, 0x26},        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},    {SDLK_F1, SDL_SCANCODE_F1, 0x70},
      {SDLK_F4, SDL_SCANCODE_F4, 0x73},        {SDLK_F10, SDL_SCANCODE_F10, 0x79},
      {SDLK_F12, SDL_SCANCODE_F12, 0x7B},      {SDLK_LALT, SDL_SCANCODE_LALT, 0x12},
      {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},    {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0x10},
      {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0x11},  {SDLK_KP_1, SDL_SCANCODE_KP_1, 0x61},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},    {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
      {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21}, {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
      {SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD},  {SDLK_F13, SDL_SCANCODE_F13, 0},
      // A layout with the letter on another physical key: the letter decides, as on Windows.
      {SDLK_q, SDL_SCANCODE_A, 'Q'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SDL_GetKeyName(c.keycode));
    EXPECT_EQ(VirtualKeyFromSdl(c.keycode, c.scancode), c.vk);
  }
}

TEST(VirtualKeys, SystemKeysAndLParamBits) {
  const DWORD kAlt = 1u << 29, kPrevious = 1u << 30, kUp = 1u << 31;
  const struct {
    UINT vk;
    bool down, repeat, alt, ctrl;
    UINT message;
    DWORD lParam;
  } cases[] = {
      {VK_ESCAPE, true, false, false, false, WM_KEYDOWN, 1},
      {VK_ESCAPE, true, true, false, false, WM_KEYDOWN, 1 | kPrevious},  // auto-repeat
      {VK_ESCAPE, false, false, false, false, WM_KEYUP, 1 | kPrevious | kUp},
      {VK_SPACE, true, false, true, false, WM_SYSKEYDOWN, 1 | kAlt},    // Alt+Space
      {VK_F4, true, false, true, false, WM_SYSKEYDOWN, 1 | kAlt},
      {VK_F4, false, false, true, false, WM_SYSKEYUP, 1 | kAlt | kPrevious | kUp},
      {VK_F10, true, false, false, false, WM_SYSKEYDOWN, 1},            // F10 alone
      {VK_F10, false, false, false, false, WM_SYSKEYUP, 1 | kPrevious | kUp},
      {VK_MENU, true, false, false, false, WM_SYSKEYDOWN, 1 | kAlt},    // Alt itself
      {'1', true, false, true, true, WM_KEYDOWN, 1 | kAlt},             // Ctrl+Alt stays plain
      {'1', true, false, false, true, WM_KEYDOWN, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "vk " << c.vk << " down " << c.down << " alt " << c.alt);
    const auto m = ComposeKeyMessage(c.vk, c.down, c.repeat, c.alt, c.ctrl);
    EXPECT_EQ(m.message, c.message);
    EXPECT_EQ(static_cast<DWORD>(m.lParam), c.lParam);
  }
}
