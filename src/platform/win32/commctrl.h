// Common controls: only the registration call the dialog needs; the dialog's controls are all
// built into the window manager here.
#pragma once

#include <windows.h>

void InitCommonControls();
