#include "app/window_procedure.h"

INT keyDown[256];

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      // A message posted by hand can carry any wParam; only real key codes index the table.
      if (wParam < 256) keyDown[wParam] = 1;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam < 256) keyDown[wParam] = 0;
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
