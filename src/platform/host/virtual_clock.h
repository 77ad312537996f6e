// The offline host's millisecond clock: it stands still while a frame is drawn and moves on by
// 1000/fps at every Present. The position is computed from the frame count, not summed step by
// step, so 1000/fps that is not a whole number never drifts.
#pragma once

#include <cstdint>

#include <windows.h>

namespace platform::host {

class VirtualClock {
 public:
  VirtualClock(DWORD start, UINT fps) : start_(start), fps_(fps ? fps : 1) {}

  DWORD Now() const {
    const uint64_t elapsed = frames_ * 1000u / fps_;
    return static_cast<DWORD>(start_ + elapsed);  // wraps like the real counter
  }
  void Advance() { ++frames_; }
  uint64_t Frames() const { return frames_; }

 private:
  DWORD start_;
  UINT fps_;
  uint64_t frames_ = 0;
};

}  // namespace platform::host
