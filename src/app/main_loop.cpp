#include "app/main_loop.h"

#include <bass.h>

#include "app/error_box.h"
#include "app/setup_dialog.h"
#include "app/window_and_device.h"
#include "app/window_procedure.h"
#include "demo/frame_routine.h"
#include "demo/music_position.h"
#include "pack/pack_file.h"

int PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) == 1) {
    if (GetMessageA(&message, nullptr, 0, 0) == 0) return 1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const INT_PTR answer = RunSetupDialog(instance);
  if (answer == 0) return 0;
  // Going on without answers would open a device of no size.
  if (answer < 0) {
    ShowError("The setup dialog could not be shown.");
    return kExitCannotStart;
  }
  CreateWindowAndDevice();
  // Without a device every frame would fail; the error box has already told the user why.
  if (!device) return kExitCannotStart;
  musicPosition = 0;
  LoadContent();
  if (!packFile.IsOpen()) return kExitCannotStart;
  do {
    RenderFrame();
    if (PumpMessages() == 1) return 1;
  } while (keyDown[VK_ESCAPE] == 0 && !PastEndPosition(musicPosition));
  ShowCursor(TRUE);
  BASS_Stop();
  return 0;
}
