#include "dialog_controls.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>

#include "window_table.h"

namespace platform::win32 {
namespace {

std::map<HWND, std::unique_ptr<ControlState>>& Controls() {
  static std::map<HWND, std::unique_ptr<ControlState>> controls;
  return controls;
}

void Notify(ControlState& c, WORD code) {
  SendMessageA(c.dialog, WM_COMMAND, MAKEWPARAM(c.id, code), reinterpret_cast<LPARAM>(c.window));
}

LRESULT ComboMessage(ControlState& c, UINT message, WPARAM wParam, LPARAM lParam) {
  const int count = static_cast<int>(c.items.size());
  switch (message) {
    case CB_ADDSTRING:
      c.items.push_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
      return count;
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return c.selection;
    case CB_SETCURSEL: {
      const int index = static_cast<int>(static_cast<intptr_t>(wParam));
      if (index < 0 || index >= count) {
        c.selection = -1;
        return CB_ERR;
      }
      c.selection = index;
      return index;
    }
    case CB_GETLBTEXTLEN: {
      const int index = static_cast<int>(static_cast<intptr_t>(wParam));
      if (index < 0 || index >= count) return CB_ERR;
      return static_cast<LRESULT>(c.items[index].size());
    }
    case CB_GETLBTEXT: {
      const int index = static_cast<int>(static_cast<intptr_t>(wParam));
      if (index < 0 || index >= count || !lParam) return CB_ERR;
      // As on Windows, the caller's buffer must hold CB_GETLBTEXTLEN + 1 characters.
      std::memcpy(reinterpret_cast<char*>(lParam), c.items[index].c_str(),
                  c.items[index].size() + 1);
      return static_cast<LRESULT>(c.items[index].size());
    }
    case CB_FINDSTRINGEXACT: {
      if (!lParam || count == 0) return CB_ERR;
      const char* wanted = reinterpret_cast<const char*>(lParam);
      int start = static_cast<int>(static_cast<intptr_t>(wParam));
      if (start < -1 || start >= count) start = -1;
      for (int k = 1; k <= count; ++k) {
        const int i = (start + k) % count;
        if (strcasecmp(c.items[i].c_str(), wanted) == 0) return i;
      }
      return CB_ERR;
    }
    case CB_RESETCONTENT:
      c.items.clear();
      c.selection = -1;
      c.dropped = false;
      return 0;
    case CB_SHOWDROPDOWN:
      if (DialogState* d = FindDialog(c.dialog)) {
        if (wParam && !c.dropped) OpenList(*d, c);
        if (!wParam && c.dropped) CloseList(c);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return c.dropped ? TRUE : FALSE;
    default:
      return -2;  // not a combo message
  }
}

LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* c = FindControl(window);
  if (c) {
    if (c->kind == ControlKind::ComboBox) {
      const LRESULT r = ComboMessage(*c, message, wParam, lParam);
      if (r != -2) return r;
    }
    switch (message) {
      case BM_GETCHECK:
        return c->check;
      case BM_SETCHECK:
        c->check = static_cast<UINT>(wParam) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        return 0;
      case BM_CLICK:
        if (c->kind == ControlKind::PushButton || c->kind == ControlKind::CheckBox) ClickControl(*c);
        return 0;
      case WM_NCDESTROY:
        ForgetControlState(window);
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RegisterControlClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const char* name : {"Button", "Static", "ComboBox"}) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ControlProcedure;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
  }
}

ControlState* FindControl(HWND control) {
  auto it = Controls().find(control);
  return it == Controls().end() ? nullptr : it->second.get();
}

ControlState& AddControlState(HWND control) {
  auto& slot = Controls()[control];
  slot = std::make_unique<ControlState>();
  slot->window = control;
  return *slot;
}

void ForgetControlState(HWND control) { Controls().erase(control); }

void ClickControl(ControlState& c) {
  if (c.kind == ControlKind::CheckBox && (c.style & BS_TYPEMASK) == BS_AUTOCHECKBOX)
    c.check = c.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  Notify(c, BN_CLICKED);
}

void ChooseItem(ControlState& c, int index) {
  if (index < 0 || index >= static_cast<int>(c.items.size()) || index == c.selection) return;
  c.selection = index;
  Notify(c, CBN_SELCHANGE);
}

int DropListRows(const DialogState& d, const ControlState& c) {
  const int room = (c.dropHeight - d.metrics.fieldHeight - 2) / d.metrics.itemHeight;
  const int count = static_cast<int>(c.items.size());
  return std::max(1, std::min(count, std::max(1, room)));
}

RECT DropListRect(const DialogState& d, const ControlState& c) {
  const int rows = DropListRows(d, c);
  return RECT{c.rect.left, c.rect.bottom, c.rect.right,
              c.rect.bottom + rows * d.metrics.itemHeight + 2};
}

void ScrollToHot(const DialogState& d, ControlState& c) {
  const int rows = DropListRows(d, c);
  const int count = static_cast<int>(c.items.size());
  if (c.hot < c.top) c.top = c.hot;
  if (c.hot >= c.top + rows) c.top = c.hot - rows + 1;
  c.top = std::clamp(c.top, 0, std::max(0, count - rows));
}

void OpenList(DialogState& d, ControlState& c) {
  if (c.dropped || c.items.empty()) return;
  Notify(c, CBN_DROPDOWN);
  c.dropped = true;
  c.hot = c.selection >= 0 ? c.selection : 0;
  ScrollToHot(d, c);
}

void CloseList(ControlState& c) {
  if (!c.dropped) return;
  c.dropped = false;
  Notify(c, CBN_CLOSEUP);
}

}  // namespace platform::win32

void InitCommonControls() { platform::win32::RegisterControlClasses(); }
