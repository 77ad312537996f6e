#include "audio/stream_channel.h"

#include <algorithm>

namespace platform::audio {

uint64_t ClockPosition(uint64_t base, DWORD elapsedMs, long rate, size_t frameBytes, uint64_t length) {
  const uint64_t frames = static_cast<uint64_t>(elapsedMs) * static_cast<uint64_t>(rate) / 1000;
  return std::min(length, base + frames * frameBytes);
}

}  // namespace platform::audio
