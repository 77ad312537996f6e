// Reading a DLGTEMPLATE resource: the dialog's frame and its controls in template order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace platform::win32 {

struct DialogItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  WORD id = 0;
  WORD classAtom = 0;     // 0x0080 button, 0x0082 static, 0x0085 combo box, ...
  std::string className;  // when the class is given by name instead
  std::string text;
  WORD resourceId = 0;    // when the text is an ordinal (a bitmap static's picture)
  bool textIsResource = false;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  WORD pointSize = 0;
  std::string typeface;
  std::vector<DialogItem> items;
};

// False on a template that is cut short or malformed; never reads past `size`.
bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* dialog);

}  // namespace platform::win32
