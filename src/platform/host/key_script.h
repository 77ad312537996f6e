// The offline host's key script: "KEY@FRAME" (pressed after frame FRAME is drawn, released after
// the next) or "KEY@FROM-TO" (held from after frame FROM until after frame TO), comma separated.
// Frames count from 0. KEY is esc, space, enter, tab, up, down, left, right, f1..f12, a single
// letter or digit, or quit (closes the window).
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace platform::host {

struct ScriptedKey {
  UINT virtualKey = 0;  // 0 for quit
  bool quit = false;
  long pressFrame = 0;
  long releaseFrame = 0;  // greater than pressFrame
};

// False with a message naming the offending item when the script is malformed.
bool ParseKeyScript(const std::string& script, std::vector<ScriptedKey>* keys, std::string* error);

}  // namespace platform::host
