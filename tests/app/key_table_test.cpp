// The window procedure, the key table and the message pump, with real key messages from the
// offline host's input path.
#include <gtest/gtest.h>

#include "app/error_box.h"
#include "app/main_loop.h"
#include "app/window_and_device.h"
#include "app/window_procedure.h"
#include "platform/host/host.h"
#include "platform/win32/window_system.h"

namespace {

class KeyTable : public testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = WindowProcedure;
      wc.lpszClassName = "wndclass";
      ASSERT_NE(RegisterClassExA(&wc), 0);
      registered = true;
    }
    for (INT& k : keyDown) k = 0;
    window = CreateWindowExA(0, "wndclass", "Engine", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
  }
  void Key(UINT vk, bool down, bool repeat = false) {
    platform::win32::PostKeyInput(window, vk, down, repeat);
  }
  HWND window = nullptr;
};

}  // namespace

TEST_F(KeyTable, DownUntilUpThroughAutoRepeat) {
  Key(VK_ESCAPE, true);
  Key(VK_ESCAPE, true, true);
  Key(VK_ESCAPE, true, true);
  Key(VK_SPACE, true);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(keyDown[VK_ESCAPE], 1);
  EXPECT_EQ(keyDown[VK_SPACE], 1);
  EXPECT_EQ(keyDown['1'], 0);
  Key(VK_ESCAPE, false);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(keyDown[VK_ESCAPE], 0);
  EXPECT_EQ(keyDown[VK_SPACE], 1);
}

TEST_F(KeyTable, SystemKeysLeaveTheTableAlone) {
  Key(VK_F10, true);
  Key(VK_MENU, true);
  Key('1', true);  // Alt+1
  Key(VK_SPACE, true);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(keyDown[VK_F10], 0);
  EXPECT_EQ(keyDown[VK_MENU], 0);
  EXPECT_EQ(keyDown['1'], 0);
  EXPECT_EQ(keyDown[VK_SPACE], 0);
  Key(VK_MENU, false);
  Key('1', true);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_EQ(keyDown['1'], 1);
}

TEST_F(KeyTable, OutOfRangeCodesAreIgnored) {
  INT before[256];
  std::copy(std::begin(keyDown), std::end(keyDown), before);
  PostMessageA(window, WM_KEYDOWN, 256, 0);
  PostMessageA(window, WM_KEYDOWN, WPARAM(-1), 0);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_TRUE(std::equal(std::begin(keyDown), std::end(keyDown), before));
}

TEST_F(KeyTable, CloseEndsThePumpWithQuitEvenAfterEscape) {
  Key(VK_ESCAPE, true);
  platform::win32::PostCloseRequest(window);
  EXPECT_EQ(PumpMessages(), 1);
  EXPECT_EQ(keyDown[VK_ESCAPE], 1) << "the key before the close was handled";
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(KeyTable, AltF4Closes) {
  Key(VK_MENU, true);
  Key(VK_F4, true);
  EXPECT_EQ(PumpMessages(), 1);
  EXPECT_FALSE(IsWindow(window));
  Key(VK_MENU, false);
}

TEST_F(KeyTable, ErrorBoxMinimisesShowsTheCursorAndReturns) {
  mainWindow = window;
  const int cursor = ShowCursor(FALSE);
  testing::internal::CaptureStderr();
  ShowError("Missing pack entry");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!!!: Missing pack entry\n");
  EXPECT_TRUE(IsIconic(window));
  EXPECT_EQ(ShowCursor(FALSE), cursor);  // one up from ShowError, one down here
  mainWindow = nullptr;
}
