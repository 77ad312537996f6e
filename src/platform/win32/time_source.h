// Where timeGetTime reads its milliseconds: the wall clock by default, a virtual
// clock in the offline host, a fake one in tests.
#pragma once

#include <functional>

#include "windows.h"

namespace platform {

using TimeSource = std::function<DWORD()>;

// An empty source restores the wall clock.
void SetTimeSource(TimeSource source);

}  // namespace platform
