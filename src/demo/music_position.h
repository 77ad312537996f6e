// The soundtrack's playback position in bytes of 16-bit PCM, read once per frame.
// Every threshold of the timeline is compared with it as an unsigned value.
#pragma once

#include <windows.h>

extern DWORD musicPosition;

// The main loop ends after the frame in which the position is above this.
constexpr DWORD kEndPosition = 2838000;
