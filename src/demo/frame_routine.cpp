// Until the content and the soundtrack exist: a cleared screen, and a music position that runs
// with the clock as the soundtrack would (16-bit stereo at 44.1 kHz), so the demo ends on time.
#include "demo/frame_routine.h"

#include <d3d8.h>

#include "app/clocks.h"
#include "app/window_and_device.h"
#include "demo/music_position.h"

namespace {
constexpr uint64_t kBytesPerSecond = 176400;
}

void LoadContent() { StartDemoClock(); }

void RenderFrame() {
  const uint64_t milliseconds = static_cast<DWORD>(timeGetTime() - clockStart);
  musicPosition = static_cast<DWORD>(milliseconds * kBytesPerSecond / 1000);
  device->BeginScene();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL,
                D3DCOLOR_XRGB(0x20, 0x30, 0x48), 1.0f, 0);
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  UpdateClocks();
}
