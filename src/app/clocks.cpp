#include "app/clocks.h"

Timer fadeTimers[kFadeTimerCount];

DWORD clockStart = 0;
DWORD lastClockReading = 0;
float demoClock = 0.0f;

FrameRateMeter frameRateMeter;
float frameRate = 0.0f;

float MillisecondsToTicks(DWORD milliseconds) {
  // The product is formed in double and then stored as a float.
  return static_cast<float>(static_cast<double>(milliseconds) *
                            static_cast<double>(kTicksPerMillisecond));
}

void Timer::Reset() {
  elapsed = 0.0f;
  running = 0;
  startTime = timeGetTime();
  lastTime = 0;
}

void Timer::Start() {
  if (running != 0) return;
  elapsed = 0.0f;
  startTime = timeGetTime();
  lastTime = timeGetTime();
  running = 1;
}

void Timer::Update() {
  const DWORD now = timeGetTime();
  lastTime = now;
  elapsed = MillisecondsToTicks(now - startTime);
}

void StartDemoClock() { clockStart = timeGetTime(); }

static void StepFrameRateMeter() {
  FrameRateMeter& m = frameRateMeter;
  m.frameCounter += 1;
  const DWORD now = timeGetTime();
  const DWORD frames = static_cast<DWORD>(m.frameCounter - m.previousCounter);
  const int32_t milliseconds = static_cast<int32_t>(now - m.previousTime);
  // Two frames inside one millisecond would divide by zero; counting that
  // frame as one millisecond long keeps the average finite and near the truth.
  const int32_t divisor = milliseconds == 0 ? 1 : milliseconds;
  const double sample = static_cast<double>(frames) * 1000.0 / static_cast<double>(divisor);
  m.previousTime = now;
  m.previousCounter = m.frameCounter;
  m.sampleSum = static_cast<float>(m.sampleSum + sample);
  m.sampleCount = m.sampleCount + 1.0f;
  if (m.sampleCount == 2.0f) {
    frameRate = m.sampleSum / m.sampleCount;
    m.sampleSum = 0.0f;
    m.sampleCount = 0.0f;
  }
}

void UpdateClocks() {
  StepFrameRateMeter();
  const DWORD now = timeGetTime();
  lastClockReading = now;
  demoClock = MillisecondsToTicks(now - clockStart);
}
