// The host behind the stand-ins: live (SDL2 window, audio device, wall clock) or offline
// (no window, virtual clock, scripted keys, frames read back at every Present). Chosen once
// at start-up; the demo never sees it, only the stand-ins do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace platform::host {

enum class Mode { Live, Offline };

Mode CurrentMode();

// What the offline host is told by the capture tool (or takes as defaults when
// VANTREL_HOST=offline is set alone).
struct OfflineOptions {
  UINT width = 800;
  UINT height = 600;
  UINT fps = 60;
  int maxFrames = -1;          // end the run after this many frames, as Escape would; -1: never
  std::string keyScript;       // "KEY@FRAME" / "KEY@FROM-TO", comma separated
  std::string device = "hal";  // hal | tnl | ref, the setup dialog's answer
  bool windowed = false;
  bool tripleBuffering = true;
  bool cancel = false;
  // Answers a modal dialog once it is initialised: the capture tool turns its options into
  // control changes and ends the dialog. Key input it posts is handled as the user's; when the
  // dialog is still open afterwards, its default button is pressed.
  std::function<void(HWND dialog)> dialogAnswer;
  // Called with every presented frame: rows top first, 4 bytes a pixel in B, G, R, A order.
  std::function<void(int frameIndex, const uint8_t* bgra, UINT width, UINT height)> frameSink;
};

// Selects the host: offline with these options when `offline` is given, else from the
// environment variable VANTREL_HOST ("live", the default, or "offline" with default options).
// Runs once, before any other stand-in call (a stand-in used first initialises from the
// environment). Returns false and fills error when the host cannot start (no display for the
// live host, an unknown VANTREL_HOST, a malformed key script); the host is then unusable.
bool Initialize(const OfflineOptions* offline, std::string* error = nullptr);
const OfflineOptions& Offline();

// The GL context the Direct3D device draws with, current on the calling thread: a context on
// the window's surface in the live host, a surfaceless one in the offline host. `software`
// asks for Mesa's software rasteriser. Returns false and fills error when none can be made.
bool CreateGlContext(HWND window, bool software, std::string* error);

// Hands a finished back buffer to the host. `framebuffer` is a GL framebuffer object holding
// the image with row 0 at the top (D3D order). Live: scaled to the window (aspect kept when
// full screen) and swapped. Offline: read back to the frame sink, then the virtual clock
// advances by 1000/fps milliseconds and the key script is played for this frame.
void PresentFramebuffer(unsigned framebuffer, UINT width, UINT height);

// Full screen: the window covers the desktop and Present scales the image into it with its
// aspect kept. Windowed (the default): the window keeps the outer size it was created with and
// Present fills its client area. The device calls this when it is created; the offline host
// ignores it.
void SetFullScreen(HWND window, bool fullScreen);

// Frames handed to PresentFramebuffer so far.
uint64_t PresentedFrames();

}  // namespace platform::host
