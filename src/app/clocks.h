// Stopwatches, the demo clock and the frame-rate meter, all on timeGetTime.
#pragma once

#include <windows.h>

// The demo's time unit is 1/60 s: milliseconds times the float nearest 0.06.
constexpr float kTicksPerMillisecond = 0.06f;

class Timer {
 public:
  virtual ~Timer() {}

  void Reset();
  void Start();
  void Update();

  INT running = 0;
  DWORD startTime = 0;
  DWORD lastTime = 0;
  float elapsed = 0.0f;
};

constexpr int kFadeTimerCount = 1000;
extern Timer fadeTimers[kFadeTimerCount];

extern DWORD clockStart;
extern DWORD lastClockReading;
extern float demoClock;

struct FrameRateMeter {
  INT frameCounter = 20;
  INT previousCounter = 10;
  DWORD previousTime = 100;
  float sampleSum = 0.0f;
  float sampleCount = 0.0f;
};
extern FrameRateMeter frameRateMeter;
extern float frameRate;

void StartDemoClock();
// Once per frame, after Present: the meter step, then the demo clock step.
void UpdateClocks();

// Converts an unsigned millisecond difference to demo ticks.
float MillisecondsToTicks(DWORD milliseconds);
