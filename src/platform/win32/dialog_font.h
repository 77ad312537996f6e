// The dialog font: its face comes from Liberation Sans, which has Arial's metrics, at the
// template's point size on a 96 dpi screen; dialog base units follow from it as on Windows.
#pragma once

#include <string>

#include "dialog_state.h"

typedef struct _TTF_Font TTF_Font;

namespace platform::win32 {

// Null with a message when the font cannot be loaded. Fonts are opened once per size and kept.
TTF_Font* OpenDialogFont(int pointSize, std::string* error);

// Base units, list item height and combo field height for a font.
DialogMetrics MetricsForFont(TTF_Font* font);

}  // namespace platform::win32
