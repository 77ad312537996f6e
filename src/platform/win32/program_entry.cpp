// The process entry of a program written for WinMain: the host starts first (live unless
// VANTREL_HOST says offline), then the program runs and its result is the exit code.
#include <cstdio>
#include <string>

#include <windows.h>

#include "host/host.h"

int main(int argc, char** argv) {
  std::string error;
  if (!platform::host::Initialize(nullptr, &error)) {
    std::fprintf(stderr, "%s: %s\n", argc > 0 ? argv[0] : "vantrel", error.c_str());
    return 2;
  }
  // Like GetCommandLine's tail: the arguments after the program name, space separated.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
