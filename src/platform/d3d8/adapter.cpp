#include "adapter.h"

#include <SDL.h>

#include <algorithm>

#include "host/host.h"

namespace platform::d3d8 {

namespace {

struct Size {
  UINT width, height;
};

// The desktop's size in the live host; full screen is a desktop-sized window.
Size DesktopSize() {
  SDL_DisplayMode mode;
  if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 &&
      mode.h > 0) {
    return {static_cast<UINT>(mode.w), static_cast<UINT>(mode.h)};
  }
  return {1024, 768};
}

}  // namespace

std::vector<D3DDISPLAYMODE> AdapterModes() {
  // The offline host offers exactly the size it renders at.
  if (host::CurrentMode() == host::Mode::Offline) {
    const host::OfflineOptions& options = host::Offline();
    return {{options.width, options.height, 60, D3DFMT_X8R8G8B8}};
  }
  // The back buffer is scaled to the desktop, so every usual size up to the desktop's works.
  static const Size kUsual[] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},
                                {1280, 720},  {1280, 960},  {1280, 1024}, {1366, 768},
                                {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050},
                                {1920, 1080}, {1920, 1200}, {2560, 1440}, {2560, 1600},
                                {3840, 2160}};
  Size desktop = DesktopSize();
  std::vector<Size> sizes;
  for (const Size& size : kUsual) {
    if (size.width <= desktop.width && size.height <= desktop.height) sizes.push_back(size);
  }
  bool listed = std::any_of(sizes.begin(), sizes.end(), [&](const Size& s) {
    return s.width == desktop.width && s.height == desktop.height;
  });
  if (!listed) sizes.push_back(desktop);
  std::stable_sort(sizes.begin(), sizes.end(), [](const Size& a, const Size& b) {
    return a.width != b.width ? a.width < b.width : a.height < b.height;
  });
  std::vector<D3DDISPLAYMODE> modes;
  for (const Size& size : sizes) {
    modes.push_back({size.width, size.height, 60, D3DFMT_X8R8G8B8});
    modes.push_back({size.width, size.height, 60, D3DFMT_R5G6B5});
  }
  return modes;
}

D3DDISPLAYMODE AdapterDisplayMode() {
  if (host::CurrentMode() == host::Mode::Offline) {
    const host::OfflineOptions& options = host::Offline();
    return {options.width, options.height, 60, D3DFMT_X8R8G8B8};
  }
  Size desktop = DesktopSize();
  return {desktop.width, desktop.height, 60, D3DFMT_X8R8G8B8};
}

}  // namespace platform::d3d8
