// Fade cues: turn the music position into the strength of the abs overlay.
#pragma once

#include <windows.h>

struct FadeCue {
  DWORD start;     // music position after which the cue runs
  float duration;  // 1/60 s units from 1.0 down to 0
};

constexpr int kFadeCueCount = 2;
extern const FadeCue fadeTable[kFadeCueCount];

// Written by UpdateFade, read by the frame composition as the abs overlay's strength.
extern float fadeValue;

// Advances cue `cue` (its timer is fadeTimers[cue]) and sets fadeValue while it runs.
void UpdateFade(int cue);
