// Windows, the message queue and the default window procedure, on the offline host (no display).
#include <gtest/gtest.h>

#include <vector>

#include "host/host.h"
#include "win32/window_system.h"

namespace {

class Offline : public testing::Environment {
 public:
  void SetUp() override {
    platform::host::OfflineOptions options;
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new Offline);

std::vector<std::pair<HWND, UINT>> received;
bool refuseCreate = false;

LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  received.push_back({w, m});
  if (m == WM_CREATE && refuseCreate) return -1;
  if (m == WM_DESTROY) PostQuitMessage(3);
  return DefWindowProcA(w, m, wp, lp);
}

HWND MakeWindow(int width = 800, int height = 600) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "wndclass";
    EXPECT_NE(RegisterClassExA(&wc), 0);
    registered = true;
  }
  received.clear();
  return CreateWindowExA(0, "WndClass", "Engine", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool Saw(UINT message) {
  for (auto& r : received)
    if (r.second == message) return true;
  return false;
}

// Runs the queue dry; returns the quit code if WM_QUIT came, else -1.
int Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!GetMessageA(&m, nullptr, 0, 0)) return int(m.wParam);
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return -1;
}

}  // namespace

TEST(Windows, ClassRegistrationRulesAndHiddenCreation) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc - 1;
  wc.lpfnWndProc = Procedure;
  wc.lpszClassName = "badsize";
  EXPECT_EQ(RegisterClassExA(&wc), 0) << "a wrong cbSize is refused";
  EXPECT_EQ(CreateWindowExA(0, "nosuchclass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);

  const HWND w = MakeWindow(640, 480);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(Saw(WM_NCCREATE));
  EXPECT_TRUE(Saw(WM_CREATE));
  EXPECT_FALSE(IsWindowVisible(w));
  RECT r;
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 480);
  EXPECT_EQ(platform::win32::FocusWindow(), w);

  WNDCLASSEXA again{};
  again.cbSize = sizeof again;
  again.lpfnWndProc = Procedure;
  again.lpszClassName = "WNDCLASS";
  EXPECT_EQ(RegisterClassExA(&again), 0) << "class names ignore case and register once";
  DestroyWindow(w);
  Pump();

  refuseCreate = true;
  EXPECT_EQ(MakeWindow(), nullptr) << "WM_CREATE returning -1 fails the creation";
  refuseCreate = false;
  Pump();
}

TEST(Windows, CloseDestroysAndQuitComesAfterPendingMessages) {
  const HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  platform::win32::PostCloseRequest(w);
  platform::win32::PostKeyInput(w, VK_SPACE, true, false);
  PostMessageA(nullptr, WM_USER, 0, 0);

  MSG m;
  ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, UINT(WM_SYSCOMMAND));
  DispatchMessageA(&m);  // -> WM_CLOSE -> DestroyWindow -> WM_DESTROY -> PostQuitMessage(3)
  EXPECT_TRUE(Saw(WM_CLOSE));
  EXPECT_TRUE(Saw(WM_DESTROY));
  EXPECT_TRUE(Saw(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(w));

  // The key posted to the destroyed window is gone; the thread message still comes before quit.
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, UINT(WM_USER));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, UINT(WM_QUIT));
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
  EXPECT_EQ(m.wParam, WPARAM(3));
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) << "quit is retrieved once";
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), -1) << "offline, an empty queue never fills";
}

TEST(Windows, AltF4ClosesAndOtherSystemKeysDoNot) {
  const HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  platform::win32::PostKeyInput(w, VK_F10, true, false);
  platform::win32::PostKeyInput(w, VK_F10, false, false);
  platform::win32::PostKeyInput(w, VK_MENU, true, false);
  platform::win32::PostKeyInput(w, 'X', true, false);
  EXPECT_EQ(Pump(), -1);
  EXPECT_TRUE(IsWindow(w));
  platform::win32::PostKeyInput(w, VK_F4, true, false);
  EXPECT_EQ(Pump(), 3);
  EXPECT_FALSE(IsWindow(w));
  platform::win32::PostKeyInput(nullptr, VK_MENU, false, false);
  Pump();
}

TEST(Windows, TranslateMessageAddsCharacters) {
  const HWND w = MakeWindow();
  platform::win32::PostKeyInput(w, 'Q', true, false);
  platform::win32::PostKeyInput(w, VK_LEFT, true, false);
  Pump();
  std::vector<UINT> order;
  for (auto& r : received)
    if (r.second >= WM_KEYDOWN && r.second <= WM_SYSCHAR) order.push_back(r.second);
  EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR}));
  DestroyWindow(w);
  Pump();
}

TEST(Windows, CursorCounterAndOfflineMessageBox) {
  const int start = platform::win32::CursorCounter();
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(ShowCursor(FALSE), start - 2);
  EXPECT_EQ(ShowCursor(TRUE), start - 1);
  EXPECT_EQ(ShowCursor(TRUE), start);

  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Cannot open\nthe pack", "Error!!!", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!!!: Cannot open the pack\n");
}

TEST(Windows, CloseWindowMinimisesOnly) {
  const HWND w = MakeWindow();
  EXPECT_TRUE(CloseWindow(w));
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(IsIconic(w));
  DestroyWindow(w);
  Pump();
}
