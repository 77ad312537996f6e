// The soundtrack's playback position in bytes of 16-bit PCM, read once per frame.
// Every threshold of the timeline is compared with it as an unsigned value.
#pragma once

#include <windows.h>

extern DWORD musicPosition;

// The main loop ends after the frame in which the position is above this.
constexpr DWORD kEndPosition = 2838000;

// Unsigned on purpose: a position reported as 0xFFFFFFFF is past the end too.
constexpr bool PastEndPosition(DWORD position) { return position > kEndPosition; }

// The room scene plays below this position, the fur scene above it.
constexpr DWORD kSceneSwitchPosition = 1615400;

// Where the two fade cues start: the subtitle fades in again on the cut.
constexpr DWORD kFadeCue0Start = 1615400;
constexpr DWORD kFadeCue1Start = 1000;
