// vantrel-capture's command line.
#pragma once

#include <string>

#include "platform/host/host.h"

struct CaptureOptions {
  platform::host::OfflineOptions offline;
  std::string out = "frames";  // a directory, or "none"
  bool help = false;
};

// False with a message for the user when the command line is wrong.
bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error);

extern const char kCaptureUsage[];
