#include "scene3ds/fatal_error.h"

#include <cstdio>
#include <cstdlib>

namespace {

FatalErrorHandler currentHandler = nullptr;

}  // namespace

FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler) {
  FatalErrorHandler previous = currentHandler;
  currentHandler = handler;
  return previous;
}

void FatalFormatError(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
  if (currentHandler) currentHandler(line);
  std::exit(kFatalFormatExitStatus);
}
