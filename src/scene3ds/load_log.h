// The load log: "engine.log" in the current folder, recreated for every 3DS
// file read, written with the line ends and number formats of the demo's home
// platform (CR LF, six-decimal fixed floats rounded the way its C runtime does).
#pragma once

#include <cstddef>
#include <cstdio>

struct LoadLog {
  FILE* file = nullptr;
  bool damageNoted = false;
};

// Creates or truncates "engine.log". A log that cannot be created leaves the
// reader working without one.
void OpenLoadLog(LoadLog* log);
void CloseLoadLog(LoadLog* log);

// printf-like, for the conversions the log uses: %s, %d, %x, %f and %%.
// "\n" is written as CR LF. Does nothing without an open log.
void LogPrint(LoadLog* log, const char* format, ...);

// Damage found by a bounded walk: "Error in 3ds file !!! " once per file.
void LogDamage(LoadLog* log);

// Formats a float as the demo's C runtime prints "%f": the value's first 17
// significant digits, rounded half up at the sixth decimal; infinities and
// NaNs in that runtime's own spelling. Returns the length written.
int FormatFixed6(double value, char* out, size_t size);
