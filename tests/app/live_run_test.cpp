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
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

extern char** environ;

namespace {

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
    display = XOpenDisplay(nullptr);
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

  // The demo's window, once it is mapped; 0 after the deadline.
  Window WaitForWindow() {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
      Window w = FindNamed(display, DefaultRootWindow(display), "Engine", pid);
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
  Start();
  const Window w = WaitForWindow();
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
  Start();
  const Window w = WaitForWindow();
  ASSERT_NE(w, 0u) << "no window titled Engine appeared";
  int exitCode = -1;
  for (int i = 0; i < 20 && exitCode == -1; ++i) {
    SendClose(w);
    exitCode = WaitForExit(std::chrono::seconds(1));
  }
  EXPECT_EQ(exitCode, 1);
}
