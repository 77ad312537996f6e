// The live host on a real (or virtual) X display: a window of the asked outer size that the
// device context shows, a Present that lands right side up, and the close box ending in
// WM_DESTROY. Skipped only where no display exists at all.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that gtest's own names would collide with.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <vector>

#include "host/host.h"
#include "win32/window_system.h"

namespace {

std::vector<UINT> seen;

LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  seen.push_back(m);
  return DefWindowProcA(w, m, wp, lp);
}

}  // namespace

TEST(LiveHost, OpensPresentsAndCloses) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no display (scripts/test starts Xvfb)";
  setenv("VANTREL_HOST", "live", 1);
  std::string error;
  ASSERT_TRUE(platform::host::Initialize(nullptr, &error)) << error;
  ASSERT_EQ(platform::host::CurrentMode(), platform::host::Mode::Live);

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.lpszClassName = "livetest";
  ASSERT_NE(RegisterClassExA(&wc), 0);
  const HWND window = CreateWindowExA(0, "livetest", "Engine", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window)) << "windows start hidden";
  char title[32];
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Engine");

  ASSERT_TRUE(platform::host::CreateGlContext(window, false, &error)) << error;
  EXPECT_TRUE(IsWindowVisible(window)) << "the device's window is shown";
  RECT outer{}, client{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_EQ(outer.right - outer.left, 320);
  EXPECT_EQ(outer.bottom - outer.top, 240);
  EXPECT_LE(client.right, 320);
  EXPECT_LE(client.bottom, 240);

  // A back buffer the size of the client area: red top half, green bottom half.
  const int w = client.right, h = client.bottom;
  GLuint fbo = 0, color = 0;
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(1, &color);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, w, h / 2);  // rows 0.. are the image's top
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);

  platform::host::PresentFramebuffer(fbo, UINT(w), UINT(h));
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

  // What the window shows now, as the X server has it.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(platform::win32::NativeWindow(window), &info));
  ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
  auto shown = [&](int x, int y) {
    XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, x, y, 1, 1, AllPlanes,
                              ZPixmap);
    if (!image) return 0ul;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  };
  EXPECT_EQ(shown(w / 2, 3), 0xFF0000ul);      // the image's top row at the window's top
  EXPECT_EQ(shown(w / 2, h - 4), 0x00FF00ul);

  // SDL's key and close-box events, as the window system delivers them.
  const Uint32 id = SDL_GetWindowID(platform::win32::NativeWindow(window));
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.windowID = id;
  key.key.keysym.sym = SDLK_ESCAPE;
  key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_PushEvent(&key);
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = id;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&close);
  MSG m;
  int quitCode = -1;
  bool escape = false;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      quitCode = int(m.wParam);
      break;
    }
    escape |= m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE && m.hwnd == window;
    DispatchMessageA(&m);
    if (m.message == WM_SYSCOMMAND) PostQuitMessage(7);
  }
  EXPECT_TRUE(escape);
  EXPECT_EQ(quitCode, 7);
  EXPECT_FALSE(IsWindow(window));
  bool closed = false, destroyed = false;
  for (UINT s : seen) {
    closed |= s == WM_CLOSE;
    destroyed |= s == WM_DESTROY;
  }
  EXPECT_TRUE(closed);
  EXPECT_TRUE(destroyed);
}
