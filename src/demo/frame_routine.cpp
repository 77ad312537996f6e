#include "demo/frame_routine.h"

#include <d3d8.h>

#include "app/clocks.h"
#include "app/window_and_device.h"
#include "app/window_procedure.h"
#include "demo/content.h"
#include "demo/music_position.h"
#include "demo/soundtrack.h"
#include "pack/pack_file.h"

void LoadContent() {
  // Without its pack the demo has nothing to show: the reader has said why, and the entry
  // ends the program (it looks at packFile.IsOpen()).
  if (!packFile.OpenPack("Vantrel.dat")) return;
  SetUpContent();
  StartSoundtrack();
  StartDemoClock();
}

void RenderFrame() {
  musicPosition = BASS_ChannelGetPosition(soundtrackStream);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  ComposeFrame();
  if (keyDown[kRestartKey] == 1) {
    RestartSoundtrack();
    // The fade cues start again when the music passes their positions again.
    fadeTimers[0].Reset();
    fadeTimers[1].Reset();
  }
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  UpdateClocks();
}
