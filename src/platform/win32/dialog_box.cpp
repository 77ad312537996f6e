// Modal dialogs from template resources: the dialog window and its controls, keyboard and mouse
// handling the way Windows dialogs behave, and the modal loop. The live host paints the dialog
// in an SDL window; the offline host has the program's answer played into the same loop.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "dialog_controls.h"
#include "dialog_font.h"
#include "dialog_painter.h"
#include "dialog_template.h"
#include "host/host.h"
#include "window_system.h"
#include "window_table.h"

namespace platform::win32 {
namespace {

std::map<HWND, std::unique_ptr<DialogState>>& Dialogs() {
  static std::map<HWND, std::unique_ptr<DialogState>> dialogs;
  return dialogs;
}

bool Live() { return platform::host::CurrentMode() == platform::host::Mode::Live; }

LRESULT CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* d = FindDialog(window);
  if (d && d->procedure) {
    const INT_PTR handled = d->procedure(window, message, wParam, lParam);
    if (handled) return handled;
  }
  switch (message) {
    case WM_CLOSE: {
      // A dialog that leaves the close box to the system gets Cancel.
      const HWND cancel = GetDlgItem(window, IDCANCEL);
      SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_INITDIALOG:
      return TRUE;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterDialogClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DialogProcedure;
  wc.lpszClassName = kDialogClassName;
  RegisterClassExA(&wc);
}

bool IsTabStop(HWND control) {
  const Window* w = FindWindowRecord(control);
  return w && (w->style & WS_TABSTOP) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED);
}

HWND DefaultButton(const DialogState& d) {
  for (HWND h : d.controls)
    if (const ControlState* c = FindControl(h); c && c->isDefault) return h;
  return nullptr;
}

void SetDialogFocus(DialogState& d, HWND control) {
  if (d.focus == control) return;
  if (ControlState* old = FindControl(d.focus)) {
    old->pressed = false;
    CloseList(*old);
  }
  d.focus = control;
}

void MoveFocus(DialogState& d, int step) {
  const int n = static_cast<int>(d.controls.size());
  if (n == 0) return;
  int at = static_cast<int>(std::find(d.controls.begin(), d.controls.end(), d.focus) -
                            d.controls.begin());
  if (at >= n) at = step > 0 ? -1 : n;
  for (int k = 1; k <= n; ++k) {
    const int i = ((at + step * k) % n + n) % n;
    if (IsTabStop(d.controls[i])) {
      SetDialogFocus(d, d.controls[i]);
      return;
    }
  }
}

void Command(DialogState& d, int id) {
  SendMessageA(d.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(d.window, id)));
}

void PressDefault(DialogState& d) {
  const HWND def = DefaultButton(d);
  const ControlState* c = FindControl(def);
  Command(d, c ? c->id : IDOK);
}

bool Inside(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

ControlState* DroppedCombo(DialogState& d) {
  ControlState* c = FindControl(d.focus);
  return c && c->kind == ControlKind::ComboBox && c->dropped ? c : nullptr;
}

void MoveSelection(ControlState& c, int step) {
  const int count = static_cast<int>(c.items.size());
  if (count == 0) return;
  ChooseItem(c, std::clamp(c.selection < 0 ? 0 : c.selection + step, 0, count - 1));
}

bool HandleKey(DialogState& d, UINT message, UINT vk) {
  ControlState* focus = FindControl(d.focus);
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool system = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
  if (ControlState* combo = DroppedCombo(d)) {
    if (!down) return true;
    const int count = static_cast<int>(combo->items.size());
    const int rows = DropListRows(d, *combo);
    switch (vk) {
      case VK_UP: combo->hot = std::max(0, combo->hot - 1); break;
      case VK_DOWN:
        if (system) {
          ChooseItem(*combo, combo->hot);
          CloseList(*combo);
        } else {
          combo->hot = std::min(count - 1, combo->hot + 1);
        }
        break;
      case VK_PRIOR: combo->hot = std::max(0, combo->hot - rows); break;
      case VK_NEXT: combo->hot = std::min(count - 1, combo->hot + rows); break;
      case VK_HOME: combo->hot = 0; break;
      case VK_END: combo->hot = count - 1; break;
      case VK_RETURN:
      case VK_F4:
        ChooseItem(*combo, combo->hot);
        CloseList(*combo);
        break;
      case VK_TAB:
        ChooseItem(*combo, combo->hot);
        CloseList(*combo);
        MoveFocus(d, ShiftHeld() ? -1 : 1);
        break;
      case VK_ESCAPE: CloseList(*combo); break;
      default: return !system;  // Alt+F4 and friends still reach the system
    }
    ScrollToHot(d, *combo);
    return true;
  }
  if (!down) {
    if (vk == VK_SPACE && focus && focus->pressed) {
      focus->pressed = false;
      ClickControl(*focus);
    }
    return !system;
  }
  const bool isButton = focus && (focus->kind == ControlKind::PushButton ||
                                  focus->kind == ControlKind::CheckBox);
  const bool isCombo = focus && focus->kind == ControlKind::ComboBox;
  if (system) {
    if (isCombo && (vk == VK_DOWN || vk == VK_UP)) {
      OpenList(d, *focus);
      return true;
    }
    return false;
  }
  switch (vk) {
    case VK_TAB: MoveFocus(d, ShiftHeld() ? -1 : 1); return true;
    case VK_RETURN:
      if (focus && focus->kind == ControlKind::PushButton) {
        ClickControl(*focus);
      } else {
        PressDefault(d);
      }
      return true;
    case VK_ESCAPE: Command(d, IDCANCEL); return true;
    case VK_SPACE:
      if (isButton) focus->pressed = true;
      return true;
    case VK_UP:
    case VK_LEFT:
      if (isCombo) MoveSelection(*focus, -1);
      return true;
    case VK_DOWN:
    case VK_RIGHT:
      if (isCombo) MoveSelection(*focus, 1);
      return true;
    case VK_F4:
      if (isCombo) OpenList(d, *focus);
      return true;
    default:
      return true;
  }
}

ControlState* HitTest(DialogState& d, int x, int y) {
  for (auto it = d.controls.rbegin(); it != d.controls.rend(); ++it) {
    ControlState* c = FindControl(*it);
    if (!c || !IsTabStop(*it)) continue;
    if (Inside(c->rect, x, y)) return c;
  }
  return nullptr;
}

void HandleMouse(DialogState& d, UINT message, WPARAM wParam, LPARAM lParam) {
  const int x = static_cast<short>(LOWORD(lParam));
  const int y = static_cast<short>(HIWORD(lParam));
  if (ControlState* combo = DroppedCombo(d)) {
    const RECT list = DropListRect(d, *combo);
    const int count = static_cast<int>(combo->items.size());
    const int rows = DropListRows(d, *combo);
    const bool inList = Inside(list, x, y);
    const int item = combo->top + (y - list.top - 1) / d.metrics.itemHeight;
    switch (message) {
      case WM_MOUSEMOVE:
        if (inList && item >= 0 && item < count) combo->hot = item;
        return;
      case WM_LBUTTONDOWN:
        if (inList && count > rows && x >= list.right - 17) {
          // The scroll bar: a page towards the click.
          const int middle = (list.top + list.bottom) / 2;
          combo->top = std::clamp(combo->top + (y < middle ? -rows : rows), 0, count - rows);
          return;
        }
        if (inList && item >= 0 && item < count) ChooseItem(*combo, item);
        CloseList(*combo);
        return;
      case WM_MOUSEWHEEL: {
        const int notches = static_cast<short>(HIWORD(wParam)) / 120;
        combo->top = std::clamp(combo->top - notches * 3, 0, std::max(0, count - rows));
        return;
      }
      default:
        return;
    }
  }
  switch (message) {
    case WM_LBUTTONDOWN: {
      ControlState* c = HitTest(d, x, y);
      if (!c) return;
      SetDialogFocus(d, c->window);
      if (c->kind == ControlKind::ComboBox) {
        OpenList(d, *c);
      } else {
        c->pressed = true;
        d.capture = c->window;
      }
      return;
    }
    case WM_MOUSEMOVE:
      if (ControlState* c = FindControl(d.capture)) c->pressed = Inside(c->rect, x, y);
      return;
    case WM_LBUTTONUP:
      if (ControlState* c = FindControl(d.capture)) {
        d.capture = nullptr;
        if (c->pressed) {
          c->pressed = false;
          ClickControl(*c);
        }
      }
      return;
    case WM_MOUSEWHEEL:
      if (ControlState* c = FindControl(d.focus); c && c->kind == ControlKind::ComboBox)
        MoveSelection(*c, static_cast<short>(HIWORD(wParam)) > 0 ? -1 : 1);
      return;
    default:
      return;
  }
}

// What IsDialogMessage does for the running dialog: true when the message was its input.
bool HandleDialogMessage(DialogState& d, const MSG& m) {
  const bool ours = m.hwnd == d.window ||
                    std::find(d.controls.begin(), d.controls.end(), m.hwnd) != d.controls.end();
  if (!ours) return false;
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return HandleKey(d, m.message, static_cast<UINT>(m.wParam));
    case WM_CHAR:
    case WM_SYSCHAR:
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
      HandleMouse(d, m.message, m.wParam, m.lParam);
      return true;
    case WM_PAINT:
      return true;
    default:
      return false;
  }
}

ControlKind KindOf(const DialogItem& item) {
  switch (item.classAtom) {
    case kButtonClass:
      switch (item.style & BS_TYPEMASK) {
        case BS_GROUPBOX: return ControlKind::GroupBox;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX: return ControlKind::CheckBox;
        default: return ControlKind::PushButton;
      }
    case kComboBoxClass: return ControlKind::ComboBox;
    default:
      return (item.style & SS_TYPEMASK) == SS_BITMAP ? ControlKind::Picture : ControlKind::Text;
  }
}

const char* ClassNameOf(const DialogItem& item) {
  switch (item.classAtom) {
    case kButtonClass: return "Button";
    case kComboBoxClass: return "ComboBox";
    default: return "Static";
  }
}

void Fail(const std::string& why) {
  std::fprintf(stderr, "%s\n", why.c_str());
  std::fflush(stderr);
}

// Builds the dialog window and its controls from the template. Null on failure.
DialogState* CreateDialogFromTemplate(const DialogTemplate& t, DLGPROC procedure, HWND owner) {
  DialogMetrics metrics;
  std::string error;
  TTF_Font* font = OpenDialogFont(t.pointSize ? t.pointSize : 8, &error);
  if (font) {
    metrics = MetricsForFont(font);
  } else if (Live()) {
    Fail("cannot show the dialog: " + error);
    return nullptr;
  }
  RegisterDialogClass();
  RegisterControlClasses();
  const int width = DialogUnitsToPixels(t.cx, metrics.baseX, 4);
  const int height = DialogUnitsToPixels(t.cy, metrics.baseY, 8);
  const DWORD style = t.style & ~static_cast<DWORD>(WS_VISIBLE);
  const HWND window = CreateWindowExA(t.exStyle, kDialogClassName, t.caption.c_str(), style,
                                      t.x, t.y, width, height, owner, nullptr, nullptr, nullptr);
  if (!window) {
    Fail("cannot create the dialog window" + (Live() ? std::string(": ") + SDL_GetError() : ""));
    return nullptr;
  }
  Window* record = FindWindowRecord(window);
  record->clientSized = true;
  if (record->native) SDL_SetWindowSize(record->native, width, height);

  auto state = std::make_unique<DialogState>();
  DialogState& d = *state;
  d.window = window;
  d.procedure = procedure;
  d.metrics = metrics;
  d.clientWidth = width;
  d.clientHeight = height;
  d.caption = t.caption;
  Dialogs()[window] = std::move(state);

  for (const DialogItem& item : t.items) {
    const int x = DialogUnitsToPixels(item.x, metrics.baseX, 4);
    const int y = DialogUnitsToPixels(item.y, metrics.baseY, 8);
    int cx = DialogUnitsToPixels(item.cx, metrics.baseX, 4);
    int cy = DialogUnitsToPixels(item.cy, metrics.baseY, 8);
    const ControlKind kind = KindOf(item);
    DecodedImage picture;
    if (kind == ControlKind::Picture && item.textIsResource) {
      // A bitmap static takes the size of its picture, plus its border.
      const auto* bytes = FindProgramResource(RT_BITMAP, item.resourceId);
      if (bytes && DecodeBitmapResource(bytes->data(), bytes->size(), &picture)) {
        const int border = (item.style & (WS_BORDER | SS_SUNKEN)) ? 2 : 0;
        cx = picture.width + border;
        cy = picture.height + border;
      }
    }
    const int dropHeight = cy;
    if (kind == ControlKind::ComboBox) cy = metrics.fieldHeight;
    const HWND control = CreateWindowExA(
        item.exStyle, item.className.empty() ? ClassNameOf(item) : item.className.c_str(),
        item.textIsResource ? "" : item.text.c_str(), item.style | WS_CHILD, x, y, cx, cy, window,
        reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), nullptr, nullptr);
    if (!control) continue;
    ControlState& c = AddControlState(control);
    c.dialog = window;
    c.kind = kind;
    c.style = item.style;
    c.id = item.id;
    c.rect = RECT{x, y, x + cx, y + cy};
    c.isDefault = kind == ControlKind::PushButton && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    c.dropHeight = dropHeight;
    c.picture = std::move(picture);
    d.controls.push_back(control);
  }
  return &d;
}

// The offline host has no one to ask: the program's answer (if the host has one) runs first,
// then whatever input it queued, then the default button stands for Enter.
void RunOffline(DialogState& d) {
  const auto& answer = platform::host::Offline().dialogAnswer;
  if (answer && !d.ended) answer(d.window);
  bool defaultPressed = false;
  while (!d.ended) {
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
      if (!HandleDialogMessage(d, m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
      continue;
    }
    if (defaultPressed) {
      Fail("the dialog \"" + d.caption + "\" did not close when its default button was pressed");
      d.result = -1;
      break;
    }
    defaultPressed = true;
    PressDefault(d);
  }
}

void RunLive(DialogState& d) {
  ShowWindow(d.window, SW_SHOW);
  DialogPainter painter(d);
  while (!d.ended) {
    painter.Paint();
    MSG m;
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (got == -1) break;
    if (!HandleDialogMessage(d, m)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
}

}  // namespace

DialogState* FindDialog(HWND dialog) {
  auto it = Dialogs().find(dialog);
  return it == Dialogs().end() ? nullptr : it->second.get();
}

}  // namespace platform::win32

using platform::win32::DialogState;
using platform::win32::FindDialog;

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC procedure,
                        LPARAM initParam) {
  using namespace platform::win32;
  if (!IS_INTRESOURCE(templateName)) return -1;
  const WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(templateName));
  const auto* bytes = FindProgramResource(RT_DIALOG, id);
  DialogTemplate t;
  if (!bytes || !ParseDialogTemplate(bytes->data(), bytes->size(), &t)) {
    Fail("dialog resource " + std::to_string(id) + (bytes ? " is malformed" : " is missing"));
    return -1;
  }
  DialogState* d = CreateDialogFromTemplate(t, procedure, owner);
  if (!d) return -1;
  const HWND window = d->window;

  HWND first = nullptr;
  for (HWND h : d->controls)
    if (IsTabStop(h)) {
      first = h;
      break;
    }
  if (SendMessageA(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) &&
      !d->focus)
    SetDialogFocus(*d, first);

  if (!d->ended) {
    if (Live())
      RunLive(*d);
    else
      RunOffline(*d);
  }
  const INT_PTR result = d->result;
  DestroyWindow(window);
  Dialogs().erase(window);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* d = FindDialog(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (HWND child : platform::win32::ChildWindows(dialog)) {
    const auto* w = platform::win32::FindWindowRecord(child);
    if (w && w->controlId == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  const auto* w = platform::win32::FindWindowRecord(control);
  return w && (w->style & WS_CHILD) ? w->controlId : 0;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  const HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

HWND GetFocus() {
  for (auto& [window, d] : platform::win32::Dialogs())
    if (d->focus) return d->focus;
  return platform::win32::FocusWindow();
}

HWND SetFocus(HWND window) {
  const HWND previous = GetFocus();
  const auto* w = platform::win32::FindWindowRecord(window);
  if (w && w->parent)
    if (DialogState* d = FindDialog(w->parent)) platform::win32::SetDialogFocus(*d, window);
  return previous;
}
