// Fade cues on a fake millisecond clock and a music position set by hand.
#include <gtest/gtest.h>

#include <platform/win32/time_source.h>

#include "app/clocks.h"
#include "demo/music_position.h"
#include "effects/fades.h"

namespace {

class Fades : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetTimeSource([this] { return now; });
    for (Timer& timer : fadeTimers) timer = Timer();
    fadeValue = 0.0f;
    musicPosition = 0;
  }
  void TearDown() override { platform::SetTimeSource(nullptr); }
  DWORD now = 5000;
};

TEST_F(Fades, NothingHappensUntilThePositionIsAboveTheStart) {
  fadeValue = 0.25f;
  musicPosition = fadeTable[1].start;  // equal is not above
  UpdateFade(1);
  EXPECT_EQ(fadeValue, 0.25f);
  EXPECT_EQ(fadeTimers[1].running, 0);
  musicPosition = 0xFFFFFFFFu;  // compared unsigned: far above both starts
  UpdateFade(1);
  EXPECT_EQ(fadeValue, 1.0f);
}

TEST_F(Fades, FirstFrameIsOneThenALinearFallToZero) {
  struct { int cue; float duration; DWORD position; } cues[] = {{0, 420.0f, 1615401}, {1, 540.0f, 1001}};
  for (auto c : cues) {
    SetUp();
    musicPosition = c.position;
    UpdateFade(c.cue);
    EXPECT_EQ(fadeValue, 1.0f) << c.cue;
    // Each frame shows the time the previous frame recorded: one second later the first
    // frame's zero, another second on the 60 ticks recorded then.
    now += 1000;
    UpdateFade(c.cue);
    EXPECT_EQ(fadeValue, 1.0f) << c.cue;
    now += 1000;
    UpdateFade(c.cue);
    EXPECT_FLOAT_EQ(fadeValue, 1.0f - 60.0f / c.duration) << c.cue;
    now += 1000;
    UpdateFade(c.cue);
    EXPECT_FLOAT_EQ(fadeValue, 1.0f - 120.0f / c.duration) << c.cue;
    // Past the duration it stays at zero while the cue is active.
    now += static_cast<DWORD>(c.duration / 0.06f) + 100;
    UpdateFade(c.cue);
    UpdateFade(c.cue);
    EXPECT_EQ(fadeValue, 0.0f) << c.cue;
  }
}

TEST_F(Fades, ARestartStartsTheCueAgainOnlyWhenItIsActiveAgain) {
  musicPosition = 2000;
  UpdateFade(1);
  now += 20000;
  UpdateFade(1);
  UpdateFade(1);
  ASSERT_EQ(fadeValue, 0.0f);
  // The restart key resets the timers and moves the position back to the start.
  fadeTimers[0].Reset();
  fadeTimers[1].Reset();
  musicPosition = 0;
  UpdateFade(1);
  UpdateFade(0);
  EXPECT_EQ(fadeValue, 0.0f) << "kept until a cue is active again";
  musicPosition = 1500;
  now += 3000;
  UpdateFade(1);
  EXPECT_EQ(fadeValue, 1.0f);
}

TEST_F(Fades, CueNumbersOutsideTheTableChangeNothing) {
  musicPosition = 0xFFFFFFFFu;
  fadeValue = 0.5f;
  UpdateFade(2);
  UpdateFade(-1);
  EXPECT_EQ(fadeValue, 0.5f);
}

}  // namespace
