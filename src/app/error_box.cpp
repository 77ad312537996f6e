#include "app/error_box.h"

#include <windows.h>

#include "app/window_and_device.h"

void ShowError(const char* text) {
  CloseWindow(mainWindow);
  ShowCursor(TRUE);
  MessageBoxA(nullptr, text, "Error!!!", MB_OK);
}
