// The display modes the one adapter offers. Full screen is a desktop-sized window that scales
// the back buffer, so these are sizes the back buffer may have.
#pragma once

#include <d3d8.h>

#include <vector>

namespace platform::d3d8 {

std::vector<D3DDISPLAYMODE> AdapterModes();
D3DDISPLAYMODE AdapterDisplayMode();

}  // namespace platform::d3d8
