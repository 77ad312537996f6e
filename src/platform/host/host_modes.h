// The two hosts behind host.h.
#pragma once

#include <string>

#include "host.h"

namespace platform::host::live {
bool Start(std::string* error);
bool CreateGlContext(HWND window, bool software, std::string* error);
void Present(unsigned framebuffer, UINT width, UINT height);
void SetFullScreen(HWND window, bool fullScreen);
}  // namespace platform::host::live

namespace platform::host::offline {
bool Start(const OfflineOptions& options, std::string* error);
bool CreateGlContext(bool software, std::string* error);
void Present(unsigned framebuffer, UINT width, UINT height);
}  // namespace platform::host::offline
