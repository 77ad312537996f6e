// build/vantrel on a real (or virtual) X display: its window is titled "Engine" and has the
// chosen size; Escape ends it with 0 and the window manager's close request with 1. The keys
// and the close request are sent to the window as an X client would send them.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

// After gtest: Xlib's macros (None, Bool, Status) would collide with gtest's names.
#include <X11/Xlib.h>
#undef None  // not needed below, and it collides with names in the stand-in headers
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "app/resource_ids.h"
#include "platform/win32/dialog_font.h"
#include "platform/win32/program_resources.h"

extern char** environ;

namespace {

const char kDialogTitle[] = "Engine setup......... . . . .  . ";

using Clock = std::chrono::steady_clock;

// The process that made a window, from the _NET_WM_PID property SDL sets; -1 when unknown.
long WindowPid(Display* display, Window w) {
  const Atom property = XInternAtom(display, "_NET_WM_PID", True);
  if (property == 0) return -1;
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data && count == 1 && format == 32)
    pid = *reinterpret_cast<long*>(data);
  if (data) XFree(data);
  return pid;
}

// Several runs may share the display: only the window of our own process counts.
Window FindNamed(Display* display, Window root, const char* name, pid_t owner) {
  Window parent, rootReturn, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* title = nullptr;
    if (XFetchName(display, children[i], &title) && title) {
      if (std::strcmp(title, name) == 0 && WindowPid(display, children[i]) == owner)
        found = children[i];
      XFree(title);
    }
    if (!found) found = FindNamed(display, children[i], name, owner);
  }
  if (children) XFree(children);
  return found;
}

class LiveRun : public testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no display (scripts/test starts Xvfb)";
    // The demo may close its window while we still talk to it; that is not an error here.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    // A busy server may turn a connection away for a moment.
    for (int attempt = 0; attempt < 10 && !display; ++attempt) {
      display = XOpenDisplay(nullptr);
      if (!display) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ASSERT_NE(display, nullptr) << "DISPLAY is set but cannot be opened";
  }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (display) XCloseDisplay(display);
  }

  void Start() {
    const std::string program = DEMO_PROGRAM;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
  }

  // A window of the demo's, once it is mapped; 0 after the deadline.
  Window WaitForWindow(const char* title = "Engine") {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
      Window w = FindNamed(display, DefaultRootWindow(display), title, pid);
      XWindowAttributes a;
      if (w && XGetWindowAttributes(display, w, &a) && a.map_state == IsViewable) return w;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
  }

  void SendKey(Window w, KeySym sym, int type) {
    {
      XEvent e{};
      e.xkey.type = type;
      e.xkey.display = display;
      e.xkey.window = w;
      e.xkey.root = DefaultRootWindow(display);
      e.xkey.subwindow = 0;
      e.xkey.time = CurrentTime;
      e.xkey.same_screen = True;
      e.xkey.keycode = XKeysymToKeycode(display, sym);
      XSendEvent(display, w, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e);
      XFlush(display);
    }
  }

  void SendClose(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &e);
    XFlush(display);
  }

  // Through the setup dialog with Enter, as a user taking the pre-selections would.
  Window StartThroughTheDialog() {
    Start();
    const Window dialog = WaitForWindow(kDialogTitle);
    if (!dialog) return 0;
    SendKey(dialog, XK_Return, KeyPress);
    SendKey(dialog, XK_Return, KeyRelease);
    return WaitForWindow();
  }

  unsigned long Pixel(Window w, int x, int y) {
    XImage* image = XGetImage(display, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xFFFFFFFFul;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  // The exit code, or -1 when the program did not end in time.
  int WaitForExit(std::chrono::steady_clock::duration limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }

  Display* display = nullptr;
  pid_t pid = -1;
};

}  // namespace

TEST_F(LiveRun, EngineWindowEndsWithZeroOnEscape) {
  const Window w = StartThroughTheDialog();
  ASSERT_NE(w, 0u) << "no window titled Engine appeared";
  XWindowAttributes a;
  XGetWindowAttributes(display, w, &a);
  EXPECT_LE(a.width, 800);
  EXPECT_LE(a.height, 600);
  EXPECT_GT(a.width, 700);
  // Held down, as auto-repeat would: the demo looks at the key table once per frame, a frame on
  // a software rasteriser may outlast a quick tap, and another window appearing on the display
  // may take the keyboard focus (which releases every key).
  int exitCode = -1;
  for (int i = 0; i < 40 && exitCode == -1; ++i) {
    SendKey(w, XK_Escape, KeyPress);
    exitCode = WaitForExit(std::chrono::seconds(1));
  }
  EXPECT_EQ(exitCode, 0);
  SendKey(w, XK_Escape, KeyRelease);
}

TEST_F(LiveRun, ClosingTheWindowEndsWithOne) {
  const Window w = StartThroughTheDialog();
  ASSERT_NE(w, 0u) << "no window titled Engine appeared";
  int exitCode = -1;
  for (int i = 0; i < 20 && exitCode == -1; ++i) {
    SendClose(w);
    exitCode = WaitForExit(std::chrono::seconds(1));
  }
  EXPECT_EQ(exitCode, 1);
}

TEST_F(LiveRun, SetupDialogLooksAsItsTemplateSays) {
  Start();
  const Window w = WaitForWindow(kDialogTitle);
  ASSERT_NE(w, 0u) << "no setup dialog appeared";
  TTF_Font* font = platform::win32::OpenDialogFont(8, nullptr);
  ASSERT_NE(font, nullptr);
  const auto m = platform::win32::MetricsForFont(font);
  auto px = [&](int dluX) { return platform::win32::DialogUnitsToPixels(dluX, m.baseX, 4); };
  auto py = [&](int dluY) { return platform::win32::DialogUnitsToPixels(dluY, m.baseY, 8); };

  XWindowAttributes a;
  XGetWindowAttributes(display, w, &a);
  EXPECT_EQ(a.width, px(214));
  EXPECT_EQ(a.height, py(129));
  // Painting starts right after the window appears.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Pixel(w, px(205), py(2)), 0xD4D0C8ul) << "the dialog face";
  EXPECT_EQ(Pixel(w, px(5), py(103)), 0x000000ul) << "OK, focused, wears the default frame";
  EXPECT_EQ(Pixel(w, px(5) + 1, py(103) + 1), 0xFFFFFFul) << "OK's raised bevel";
  EXPECT_EQ(Pixel(w, px(7), py(18)), 0x808080ul) << "the resolution list's sunken field";
  EXPECT_EQ(Pixel(w, px(9), py(43)), 0x808080ul) << "the device list's sunken field";
  EXPECT_EQ(Pixel(w, px(113), py(6)), 0x000000ul) << "the picture's border";
  const HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCEA(kSetupPictureId), RT_BITMAP);
  ASSERT_NE(r, nullptr);
  platform::win32::DecodedImage picture;
  ASSERT_TRUE(platform::win32::DecodeBitmapResource(
      static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, r))), SizeofResource(nullptr, r),
      &picture));
  for (const auto& [x, y] : {std::pair{64, 64}, std::pair{10, 100}, std::pair{127, 0}}) {
    const uint8_t* p = &picture.rgba[(size_t(y) * picture.width + x) * 4];
    const unsigned long expected = (p[0] << 16) | (p[1] << 8) | p[2];
    EXPECT_EQ(Pixel(w, px(113) + 1 + x, py(6) + 1 + y), expected) << x << "," << y;
  }

  // Escape is Cancel: the program ends with 0 and the demo's window never appears.
  SendKey(w, XK_Escape, KeyPress);
  int exitCode = -1;
  bool engineSeen = false;
  for (int i = 0; i < 100 && exitCode == -1; ++i) {
    engineSeen |= FindNamed(display, DefaultRootWindow(display), "Engine", pid) != 0;
    exitCode = WaitForExit(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(engineSeen);
}

TEST_F(LiveRun, EnterStartsTheDemoInThePreselectedMode) {
  const Window w = StartThroughTheDialog();
  ASSERT_NE(w, 0u) << "no window titled Engine appeared after Enter";
  XWindowAttributes a;
  XGetWindowAttributes(display, w, &a);
  EXPECT_EQ(a.width, 800) << "without a window manager the outer size is the client size";
  EXPECT_EQ(a.height, 600);
}

TEST_F(LiveRun, SetupDialogCloseBoxEndsWithZero) {
  Start();
  const Window w = WaitForWindow(kDialogTitle);
  ASSERT_NE(w, 0u) << "no setup dialog appeared";
  int exitCode = -1;
  for (int i = 0; i < 20 && exitCode == -1; ++i) {
    SendClose(w);
    exitCode = WaitForExit(std::chrono::seconds(1));
  }
  EXPECT_EQ(exitCode, 0);
}
