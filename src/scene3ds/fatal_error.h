// The few malformed 3DS inputs that stop the program: one line on standard
// output, then exit status 2 (a failure must not look like success).
#pragma once

using FatalErrorHandler = void (*)(const char* line);

// Prints `line` on standard output and hands it to the handler; the default
// handler ends the process with status 2. Never returns: a handler that
// returns is followed by the same exit.
[[noreturn]] void FatalFormatError(const char* line);

// Tests and fuzzing install a handler that records the line and unwinds (by
// throwing), so the reader's run can be observed without ending the process.
// Returns the previous handler; nullptr restores the default.
FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler);

constexpr int kFatalFormatExitStatus = 2;
