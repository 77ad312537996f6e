// What a running dialog and its controls hold, shared by the dialog's input handling, its
// control procedures and its painter.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "program_resources.h"

struct SDL_Renderer;

namespace platform::win32 {

enum class ControlKind { PushButton, CheckBox, GroupBox, Text, Picture, ComboBox };

struct ControlState {
  HWND window = nullptr;
  HWND dialog = nullptr;
  ControlKind kind = ControlKind::Text;
  DWORD style = 0;
  int id = 0;
  RECT rect{};  // pixels, in the dialog's client area
  bool isDefault = false;
  // Buttons and check boxes.
  UINT check = BST_UNCHECKED;
  bool pressed = false;
  // Combo boxes. `rect` is the closed field; the list opens below it.
  std::vector<std::string> items;
  int selection = -1;
  bool dropped = false;
  int hot = -1;  // the highlighted item of the open list
  int top = 0;   // the first item the open list shows
  int dropHeight = 0;
  // Pictures.
  DecodedImage picture;
};

struct DialogMetrics {
  int baseX = 6;   // dialog base units: the font's average character width
  int baseY = 13;  // and its height
  int itemHeight = 14;
  int fieldHeight = 20;
};

struct DialogState {
  HWND window = nullptr;
  DLGPROC procedure = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  HWND focus = nullptr;
  HWND capture = nullptr;  // the button the mouse went down on
  std::vector<HWND> controls;  // template order, which is the tab order
  DialogMetrics metrics;
  int clientWidth = 0;
  int clientHeight = 0;
  std::string caption;
};

ControlState* FindControl(HWND control);
DialogState* FindDialog(HWND dialog);

// Pixels from dialog units, rounded as Windows does.
inline int DialogUnitsToPixels(int units, int base, int divisor) {
  const long long v = static_cast<long long>(units) * base;
  return static_cast<int>(v >= 0 ? (v + divisor / 2) / divisor : -((-v + divisor / 2) / divisor));
}

// The open list of a combo box, in the dialog's client area.
RECT DropListRect(const DialogState& dialog, const ControlState& combo);
int DropListRows(const DialogState& dialog, const ControlState& combo);

}  // namespace platform::win32
