#include "app/clocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <platform/win32/time_source.h>

namespace {

// A millisecond source the test moves by hand.
struct FakeClock {
  DWORD now = 0;
  FakeClock() {
    platform::SetTimeSource([this] { return now; });
  }
  ~FakeClock() { platform::SetTimeSource(nullptr); }
};

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

TEST(Clocks, TickConstantIsTheFloatNearestPointZeroSix) {
  EXPECT_EQ(Bits(kTicksPerMillisecond), 0x3D75C28Fu);
}

TEST(Timer, StartTwiceKeepsTheFirstStart) {
  FakeClock clock;
  Timer t;
  EXPECT_EQ(t.running, 0);
  clock.now = 1000;
  t.Start();
  clock.now = 2000;
  t.Start();
  EXPECT_EQ(t.startTime, 1000u);
  clock.now = 3000;
  t.Update();
  EXPECT_FLOAT_EQ(t.elapsed, MillisecondsToTicks(2000));
  EXPECT_EQ(t.lastTime, 3000u);
}

TEST(Timer, ResetThenUpdateMeasuresFromTheReset) {
  FakeClock clock;
  Timer t;
  clock.now = 500;
  t.Start();
  clock.now = 700;
  t.Reset();
  EXPECT_EQ(t.running, 0);
  EXPECT_EQ(t.lastTime, 0u);
  EXPECT_EQ(t.elapsed, 0.0f);
  clock.now = 1700;
  t.Update();
  EXPECT_FLOAT_EQ(t.elapsed, 60.0f);
}

TEST(Timer, WrapOfTheMillisecondCounterGivesTheTrueElapsedTime) {
  FakeClock clock;
  Timer t;
  clock.now = 0xFFFFFF00u;
  t.Start();
  clock.now = 0x00000100u;  // 512 ms later, across the wrap
  t.Update();
  EXPECT_FLOAT_EQ(t.elapsed, MillisecondsToTicks(512));
}

TEST(DemoClock, CountsSixtiethsSinceStartAcrossTheWrap) {
  FakeClock clock;
  clock.now = 0xFFFFF000u;
  StartDemoClock();
  clock.now = 0xFFFFF000u + 10000u;  // wraps
  UpdateClocks();
  EXPECT_FLOAT_EQ(demoClock, 600.0f);
  EXPECT_EQ(lastClockReading, clock.now);
}

TEST(FrameRateMeter, PublishesTheMeanOfTwoSamplesEverySecondFrame) {
  FakeClock clock;
  frameRateMeter = FrameRateMeter{};
  frameRate = 0.0f;
  // First frame measures against the initial values: (21 - 10) frames over
  // 100000 - 100 ms, a near-zero rate.
  clock.now = 100000;
  UpdateClocks();
  EXPECT_EQ(frameRate, 0.0f);
  clock.now = 100020;  // 50 fps
  UpdateClocks();
  const float first = static_cast<float>(11.0 * 1000.0 / 99900.0);
  EXPECT_FLOAT_EQ(frameRate, (first + 50.0f) / 2.0f);
  clock.now = 100030;  // 100 fps
  UpdateClocks();
  clock.now = 100050;  // 50 fps
  UpdateClocks();
  EXPECT_FLOAT_EQ(frameRate, 75.0f);
}

TEST(FrameRateMeter, TwoFramesInOneMillisecondStayFinite) {
  FakeClock clock;
  frameRateMeter = FrameRateMeter{};
  clock.now = 5000;
  UpdateClocks();
  UpdateClocks();  // same millisecond
  EXPECT_TRUE(std::isfinite(frameRate));
  EXPECT_GT(frameRate, 0.0f);
}

}  // namespace
