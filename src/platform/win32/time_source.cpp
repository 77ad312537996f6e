#include "time_source.h"

#include <chrono>
#include <utility>

namespace {

platform::TimeSource& CurrentSource() {
  static platform::TimeSource source;
  return source;
}

DWORD WallMilliseconds() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  const auto ms = duration_cast<milliseconds>(steady_clock::now() - origin).count();
  return static_cast<DWORD>(static_cast<uint64_t>(ms));  // wraps like the real counter
}

}  // namespace

namespace platform {

void SetTimeSource(TimeSource source) { CurrentSource() = std::move(source); }

}  // namespace platform

DWORD timeGetTime() {
  const auto& source = CurrentSource();
  return source ? source() : WallMilliseconds();
}
