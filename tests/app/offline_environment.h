// The offline host for the shell's in-process tests, started once per test process. Dialogs it
// runs are answered by whatever the test puts in `dialogAnswerForTests`.
#pragma once

#include <functional>

#include <windows.h>

extern std::function<void(HWND)> dialogAnswerForTests;
