// The thread's message queue. Posted messages wait in order; WM_QUIT is a flag that turns into a
// message only once nothing else matching is pending, as on Windows.
#include <algorithm>

#include "window_table.h"

namespace platform::win32 {

MessageQueue& Queue() {
  static MessageQueue queue;
  return queue;
}

void ForgetMessagesFor(HWND window) {
  std::erase_if(Queue().posted, [window](const MSG& m) { return m.hwnd == window; });
}

namespace {

bool Matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd) return false;
  } else if (window && m.hwnd != window) {
    const Window* w = FindWindowRecord(m.hwnd);
    if (!w || w->parent != window) return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return m.message >= filterMin && m.message <= filterMax;
}

}  // namespace
}  // namespace platform::win32

using platform::win32::Queue;

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !platform::win32::FindWindowRecord(window)) return FALSE;
  MSG m{};
  m.hwnd = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = timeGetTime();
  Queue().posted.push_back(m);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue().quitPosted = true;
  Queue().quitCode = exitCode;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) return FALSE;
  platform::win32::CollectHostInput();
  auto& q = Queue();
  for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
    if (!platform::win32::Matches(*it, window, filterMin, filterMax)) continue;
    *msg = *it;
    if (removeFlags & PM_REMOVE) {
      q.posted.erase(it);
      platform::win32::NoteRetrievedMessage(*msg);
    }
    return TRUE;
  }
  const bool quitWanted = (filterMin == 0 && filterMax == 0) ||
                          (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
  if (q.quitPosted && quitWanted) {
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(q.quitCode);
    msg->time = timeGetTime();
    if (removeFlags & PM_REMOVE) q.quitPosted = false;
    return TRUE;
  }
  return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (window && window != reinterpret_cast<HWND>(-1) && !platform::win32::FindWindowRecord(window))
    return -1;
  for (;;) {
    if (PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE))
      return msg->message == WM_QUIT ? 0 : 1;
    // The offline host has no input of its own: waiting would never end.
    if (!platform::win32::WaitForHostInput()) return -1;
  }
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
