// Window classes and windows. In the live host a top-level window is an SDL window with an
// OpenGL surface (the device draws into it); offline it exists only as a record.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "host/host.h"
#include "window_system.h"
#include "window_table.h"

namespace platform::win32 {
namespace {

struct WindowClass {
  std::string name;
  WNDPROC procedure = nullptr;
  UINT style = 0;
  HINSTANCE instance = nullptr;
  ATOM atom = 0;
};

std::string Lowercase(const char* s) {
  std::string r = s ? s : "";
  std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return std::tolower(c); });
  return r;
}

struct WindowManager {
  std::map<std::string, WindowClass> classes;  // keyed by lower-case name: class names ignore case
  std::map<HWND, std::unique_ptr<Window>> windows;
  std::vector<HWND> creationOrder;
  uintptr_t nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
};

WindowManager& Manager() {
  static WindowManager manager;
  return manager;
}

const WindowClass* FindClass(LPCSTR name) {
  auto& classes = Manager().classes;
  if (IS_INTRESOURCE(name)) {
    const ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    for (auto& [key, c] : classes)
      if (c.atom == atom) return &c;
    return nullptr;
  }
  auto it = classes.find(Lowercase(name));
  return it == classes.end() ? nullptr : &it->second;
}

bool Live() { return platform::host::CurrentMode() == platform::host::Mode::Live; }

// Makes the native window's outer size what the program asked for, once the window manager has
// told us how thick its frame is (only known after the window is mapped).
void FitOuterSize(Window& w) {
  if (!w.native) return;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(w.native, &top, &left, &bottom, &right) != 0) return;
  const int clientWidth = std::max(1, w.width - left - right);
  const int clientHeight = std::max(1, w.height - top - bottom);
  SDL_SetWindowSize(w.native, clientWidth, clientHeight);
}

}  // namespace

Window* FindWindowRecord(HWND window) {
  if (!window) return nullptr;
  auto& windows = Manager().windows;
  auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.get();
}

SDL_Window* NativeWindow(HWND window) {
  Window* w = FindWindowRecord(window);
  return w ? w->native : nullptr;
}

HWND WindowFromNativeId(unsigned id) {
  for (auto& [handle, w] : Manager().windows)
    if (w->native && SDL_GetWindowID(w->native) == id) return handle;
  return nullptr;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> children;
  for (HWND h : Manager().creationOrder) {
    Window* w = FindWindowRecord(h);
    if (w && w->parent == parent && (w->style & WS_CHILD)) children.push_back(h);
  }
  return children;
}

HWND FocusWindow() {
  auto& order = Manager().creationOrder;
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    Window* w = FindWindowRecord(*it);
    if (w && !(w->style & WS_CHILD)) return *it;
  }
  return nullptr;
}

}  // namespace platform::win32

using platform::win32::FindWindowRecord;
using platform::win32::Window;

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) || !windowClass->lpfnWndProc ||
      !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName))
    return 0;
  auto& m = platform::win32::Manager();
  const std::string key = platform::win32::Lowercase(windowClass->lpszClassName);
  if (m.classes.count(key)) return 0;  // already registered, as on Windows
  platform::win32::WindowClass c;
  c.name = windowClass->lpszClassName;
  c.procedure = windowClass->lpfnWndProc;
  c.style = windowClass->style;
  c.instance = windowClass->hInstance;
  c.atom = m.nextAtom++;
  m.classes[key] = c;
  return c.atom;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const auto* windowClass = platform::win32::FindClass(className);
  if (!windowClass) return nullptr;
  if ((style & WS_CHILD) && !FindWindowRecord(parent)) return nullptr;
  auto& m = platform::win32::Manager();

  auto w = std::make_unique<Window>();
  w->handle = reinterpret_cast<HWND>(m.nextHandle);
  m.nextHandle += 4;
  w->procedure = windowClass->procedure;
  w->className = windowClass->name;
  w->title = windowName ? windowName : "";
  w->style = style;
  w->exStyle = exStyle;
  w->x = x == CW_USEDEFAULT ? 0 : x;
  w->y = y == CW_USEDEFAULT ? 0 : y;
  w->width = width == CW_USEDEFAULT ? 640 : std::max(0, width);
  w->height = height == CW_USEDEFAULT ? 480 : std::max(0, height);
  w->parent = parent;
  if (style & WS_CHILD) w->controlId = static_cast<int>(reinterpret_cast<intptr_t>(menu));

  if (!(style & WS_CHILD) && platform::win32::Live()) {
    const bool dialog = w->className == platform::win32::kDialogClassName;
    Uint32 flags = SDL_WINDOW_HIDDEN | (dialog ? 0 : SDL_WINDOW_OPENGL);
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
    // A centred dialog is centred on the screen, whatever its template says.
    const bool centred = dialog && (style & DS_CENTER);
    const int sx = centred ? SDL_WINDOWPOS_CENTERED : x == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : x;
    const int sy = centred ? SDL_WINDOWPOS_CENTERED : y == CW_USEDEFAULT ? SDL_WINDOWPOS_UNDEFINED : y;
    w->native = SDL_CreateWindow(w->title.c_str(), sx, sy, std::max(1, w->width),
                                 std::max(1, w->height), flags);
    if (!w->native) return nullptr;
    platform::win32::SetProgramIcon(w->native);
  }

  const HWND handle = w->handle;
  m.windows[handle] = std::move(w);
  m.creationOrder.push_back(handle);

  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = width;
  create.cy = height;
  create.x = x;
  create.y = y;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;
  const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
  if (!SendMessageA(handle, WM_NCCREATE, 0, createParam) ||
      SendMessageA(handle, WM_CREATE, 0, createParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (style & WS_VISIBLE) {
    if (Window* rec = FindWindowRecord(handle)) rec->style &= ~WS_VISIBLE;
    ShowWindow(handle, SW_SHOW);
  }
  return FindWindowRecord(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window) {
  Window* w = FindWindowRecord(window);
  if (!w) return FALSE;
  auto& m = platform::win32::Manager();
  // Children go first, the way Windows tears a window tree down after WM_DESTROY.
  SendMessageA(window, WM_DESTROY, 0, 0);
  for (HWND child : platform::win32::ChildWindows(window)) DestroyWindow(child);
  SendMessageA(window, WM_NCDESTROY, 0, 0);
  w = FindWindowRecord(window);
  if (!w) return TRUE;
  if (w->native) SDL_DestroyWindow(w->native);
  m.windows.erase(window);
  std::erase(m.creationOrder, window);
  platform::win32::ForgetMessagesFor(window);
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  Window* w = FindWindowRecord(window);
  if (!w) return FALSE;
  const bool wasVisible = w->visible;
  switch (command) {
    case SW_HIDE:
      w->visible = false;
      if (w->native) SDL_HideWindow(w->native);
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      w->visible = true;
      w->minimized = true;
      if (w->native) {
        SDL_ShowWindow(w->native);
        SDL_MinimizeWindow(w->native);
      }
      break;
    default:
      w->visible = true;
      if (command == SW_RESTORE || command == SW_SHOWNORMAL) w->minimized = false;
      if (w->native) {
        const bool firstShow = !(SDL_GetWindowFlags(w->native) & SDL_WINDOW_SHOWN);
        SDL_ShowWindow(w->native);
        if (command == SW_RESTORE || command == SW_SHOWNORMAL) SDL_RestoreWindow(w->native);
        if (firstShow && !w->clientSized) platform::win32::FitOuterSize(*w);
      }
      break;
  }
  if (w->visible)
    w->style |= WS_VISIBLE;
  else
    w->style &= ~WS_VISIBLE;
  if (w->visible != wasVisible) SendMessageA(window, WM_SHOWWINDOW, w->visible ? TRUE : FALSE, 0);
  return wasVisible ? TRUE : FALSE;
}

BOOL CloseWindow(HWND window) {
  Window* w = FindWindowRecord(window);
  if (!w) return FALSE;
  // Despite its name, this only minimises.
  w->minimized = true;
  if (w->native) SDL_MinimizeWindow(w->native);
  return TRUE;
}

BOOL IsWindow(HWND window) { return FindWindowRecord(window) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND window) {
  Window* w = FindWindowRecord(window);
  return w && w->visible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
  Window* w = FindWindowRecord(window);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  Window* w = FindWindowRecord(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{w->x, w->y, w->x + w->width, w->y + w->height};
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  Window* w = FindWindowRecord(window);
  if (!w || !rect) return FALSE;
  int width = w->width, height = w->height;
  if (w->native) SDL_GetWindowSize(w->native, &width, &height);
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  Window* w = FindWindowRecord(window);
  if (!w) return FALSE;
  w->title = text ? text : "";
  if (w->native) SDL_SetWindowTitle(w->native, w->title.c_str());
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  Window* w = FindWindowRecord(window);
  if (!w || !text || maxCount <= 0) return 0;
  const int n = std::min<int>(maxCount - 1, static_cast<int>(w->title.size()));
  std::memcpy(text, w->title.data(), static_cast<size_t>(n));
  text[n] = '\0';
  return n;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = FindWindowRecord(window);
  if (!w || !w->procedure) return 0;
  return w->procedure(window, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 asks to close, as the system menu's Close would.
      if (wParam == VK_F4 && (static_cast<DWORD>(lParam) & (1u << 29)))
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessageA(window, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          CloseWindow(window);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  // Only the program itself is a module here.
  static char programModule;
  if (moduleName) return nullptr;
  return reinterpret_cast<HMODULE>(&programModule);
}
