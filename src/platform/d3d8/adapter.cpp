#include "adapter.h"

#include "host/host.h"

namespace platform::d3d8 {

std::vector<D3DDISPLAYMODE> AdapterModes() {
  // The offline host offers exactly the size it renders at.
  if (host::CurrentMode() == host::Mode::Offline) {
    const host::OfflineOptions& options = host::Offline();
    return {{options.width, options.height, 60, D3DFMT_X8R8G8B8}};
  }
  std::vector<D3DDISPLAYMODE> modes;
  static const UINT kSizes[][2] = {{640, 480}, {800, 600}, {1024, 768}};
  for (const auto& size : kSizes) {
    modes.push_back({size[0], size[1], 60, D3DFMT_X8R8G8B8});
    modes.push_back({size[0], size[1], 60, D3DFMT_R5G6B5});
  }
  return modes;
}

D3DDISPLAYMODE AdapterDisplayMode() {
  if (host::CurrentMode() == host::Mode::Offline) {
    const host::OfflineOptions& options = host::Offline();
    return {options.width, options.height, 60, D3DFMT_X8R8G8B8};
  }
  return {1024, 768, 60, D3DFMT_X8R8G8B8};
}

}  // namespace platform::d3d8
