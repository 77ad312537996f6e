#include "app/setup_dialog.h"

#include "platform/host/host.h"

DisplaySettings displaySettings;

// Until the dialog itself exists: the live run takes 800x600x32 in a window; an offline run
// takes what the capture tool was told.
INT_PTR RunSetupDialog(HINSTANCE) {
  DisplaySettings& s = displaySettings;
  s.width = 800;
  s.height = 600;
  s.refreshRate = 60;
  s.backBufferFormat = D3DFMT_X8R8G8B8;
  s.backBufferCount = 2;
  s.windowed = 1;
  s.hardwareVertexProcessing = 1;
  if (platform::host::CurrentMode() == platform::host::Mode::Offline) {
    const platform::host::OfflineOptions& o = platform::host::Offline();
    if (o.cancel) return 0;
    s.width = o.width;
    s.height = o.height;
    s.backBufferCount = o.tripleBuffering ? 2 : 1;
    s.windowed = o.windowed ? 1 : 0;
    s.hardwareVertexProcessing = o.device == "tnl" ? 1 : 0;
  }
  return 1;
}
