#include "host.h"

#include <cstdio>
#include <cstdlib>

#include "host_modes.h"

namespace platform::host {
namespace {

struct HostState {
  bool initialized = false;
  bool usable = false;
  Mode mode = Mode::Live;
  OfflineOptions offline;
  uint64_t presented = 0;
};

HostState& State() {
  static HostState state;
  return state;
}

void EnsureInitialized() {
  if (State().initialized) return;
  std::string error;
  if (!Initialize(nullptr, &error)) std::fprintf(stderr, "%s\n", error.c_str());
}

}  // namespace

bool Initialize(const OfflineOptions* offline, std::string* error) {
  HostState& s = State();
  if (s.initialized) {
    if (error) *error = "the host is already initialised";
    return false;
  }
  s.initialized = true;
  std::string why;
  if (offline) {
    s.mode = Mode::Offline;
    s.offline = *offline;
  } else {
    const char* env = std::getenv("VANTREL_HOST");
    const std::string name = env ? env : "";
    if (name.empty() || name == "live") {
      s.mode = Mode::Live;
    } else if (name == "offline") {
      s.mode = Mode::Offline;
    } else {
      if (error) *error = "VANTREL_HOST must be 'live' or 'offline', not '" + name + "'";
      return false;
    }
  }
  const bool ok = s.mode == Mode::Offline ? offline::Start(s.offline, &why) : live::Start(&why);
  if (!ok) {
    if (error) *error = why;
    return false;
  }
  s.usable = true;
  return true;
}

Mode CurrentMode() {
  EnsureInitialized();
  return State().mode;
}

const OfflineOptions& Offline() {
  EnsureInitialized();
  return State().offline;
}

bool CreateGlContext(HWND window, bool software, std::string* error) {
  EnsureInitialized();
  if (!State().usable) {
    if (error) *error = "the host could not start";
    return false;
  }
  return State().mode == Mode::Offline ? offline::CreateGlContext(software, error)
                                       : live::CreateGlContext(window, software, error);
}

void PresentFramebuffer(unsigned framebuffer, UINT width, UINT height) {
  EnsureInitialized();
  if (!State().usable) return;
  ++State().presented;
  if (State().mode == Mode::Offline)
    offline::Present(framebuffer, width, height);
  else
    live::Present(framebuffer, width, height);
}

void SetFullScreen(HWND window, bool fullScreen) {
  EnsureInitialized();
  if (State().usable && State().mode == Mode::Live) live::SetFullScreen(window, fullScreen);
}

uint64_t PresentedFrames() { return State().presented; }

}  // namespace platform::host
