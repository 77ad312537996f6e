// The frame routine on the offline host, with the demo's real pack and soundtrack, and the
// clock moved by hand.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/clocks.h"
#include "app/window_and_device.h"
#include "app/window_procedure.h"
#include "demo/frame_routine.h"
#include "demo/music_position.h"
#include "demo/soundtrack.h"
#include "effects/fades.h"
#include "platform/host/host.h"
#include "platform/win32/time_source.h"

namespace {

DWORD fakeNow = 100000;
std::vector<uint8_t> lastFrame;

class FrameRoutine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    ASSERT_EQ(chdir(VANTREL_BUILD_DIR), 0);  // where Vantrel.dat is
    platform::host::OfflineOptions options;
    options.width = 64;
    options.height = 48;
    options.frameSink = [](int, const uint8_t* bgra, UINT width, UINT height) {
      lastFrame.assign(bgra, bgra + size_t(width) * height * 4);
    };
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
    platform::SetTimeSource([] { return fakeNow; });
    CreateWindowAndDevice();
    ASSERT_NE(device, nullptr);
    musicPosition = 0;
    LoadContent();
  }

  // Every test starts with the soundtrack at its start, playing, and no key down.
  void SetUp() override {
    keyDown[kRestartKey] = 0;
    BASS_ChannelSetPosition(soundtrackStream, 0);
  }

  // One frame after `ms` milliseconds more on the clock.
  void FrameAfter(DWORD ms) {
    fakeNow += ms;
    RenderFrame();
    ++framesDrawn;
  }

  static inline int framesDrawn = 0;
};

DWORD BytesAfter(DWORD ms) { return ms * 44100 / 1000 * 4; }

}  // namespace

TEST_F(FrameRoutine, LoadsTheSoundtrackFromThePack) {
  ASSERT_NE(soundtrackStream, 0u) << "no playable Tarsk.mp3 in " VANTREL_BUILD_DIR "/Vantrel.dat";
  EXPECT_EQ(soundtrackSize, std::filesystem::file_size(VANTREL_BUILD_DIR "/assets/Tarsk.mp3"));
  EXPECT_GT(BASS_StreamGetLength(soundtrackStream), QWORD{kEndPosition});
}

TEST_F(FrameRoutine, ReadsThePositionOnceAtTheStartOfEachFrameAndClearsToBlack) {
  const bool first = framesDrawn == 0;
  FrameAfter(0);
  EXPECT_EQ(musicPosition, 0u);
  if (first) {
    EXPECT_EQ(demoClock, 0.0f) << "the first frame sees a demo clock of 0";
  }
  ASSERT_FALSE(lastFrame.empty());
  for (size_t i = 0; i < lastFrame.size(); i += 4) {
    ASSERT_EQ(lastFrame[i] | lastFrame[i + 1] | lastFrame[i + 2], 0) << "pixel " << i / 4;
  }
  FrameAfter(1000);
  EXPECT_EQ(musicPosition, BytesAfter(1000));
  FrameAfter(17);
  EXPECT_EQ(musicPosition, BytesAfter(1017));
}

TEST_F(FrameRoutine, HoldingTheRestartKeyKeepsTheSoundtrackAtItsStart) {
  FrameAfter(2000);
  const DWORD before = musicPosition;
  ASSERT_EQ(before, BytesAfter(2000));
  fadeTimers[0].Start();
  fadeTimers[1].Start();
  const float clockBefore = demoClock;

  keyDown[kRestartKey] = 1;
  FrameAfter(20);
  EXPECT_EQ(musicPosition, BytesAfter(2020)) << "the frame itself still shows where the music was";
  EXPECT_EQ(BASS_ChannelGetPosition(soundtrackStream), 0u);
  for (int i : {0, 1}) {
    EXPECT_EQ(fadeTimers[i].running, 0);
    EXPECT_EQ(fadeTimers[i].startTime, fakeNow);
    EXPECT_EQ(fadeTimers[i].lastTime, 0u);
  }
  for (int frame = 0; frame < 5; ++frame) {
    FrameAfter(16);
    EXPECT_EQ(musicPosition, BytesAfter(16)) << "frame " << frame << " while held";
  }
  EXPECT_GT(demoClock, clockBefore) << "the restart leaves the demo clock alone";

  keyDown[kRestartKey] = 0;
  FrameAfter(16);
  EXPECT_EQ(musicPosition, BytesAfter(16));
  FrameAfter(500);
  EXPECT_EQ(musicPosition, BytesAfter(516));
}

TEST_F(FrameRoutine, TheRestartKeyBringsBackAFinishedSoundtrack) {
  FrameAfter(60000);
  EXPECT_EQ(QWORD{musicPosition}, BASS_StreamGetLength(soundtrackStream));
  keyDown[kRestartKey] = 1;
  FrameAfter(16);
  keyDown[kRestartKey] = 0;
  FrameAfter(1000);
  EXPECT_EQ(musicPosition, BytesAfter(1000));
}

TEST_F(FrameRoutine, TheSubtitleFadeStartsAgainAfterARestart) {
  // One frame with the key held leaves both fade cues idle, wherever earlier frames left them.
  keyDown[kRestartKey] = 1;
  FrameAfter(16);
  keyDown[kRestartKey] = 0;
  FrameAfter(16);  // position 2820: past 1000, so the subtitle's cue starts at full strength
  EXPECT_EQ(fadeValue, 1.0f);
  FrameAfter(4500);
  FrameAfter(16);  // the cue reads the time its previous update measured: 270 of 540 ticks
  EXPECT_NEAR(fadeValue, 0.5f, 0.001f);

  keyDown[kRestartKey] = 1;
  FrameAfter(16);
  keyDown[kRestartKey] = 0;
  FrameAfter(16);
  EXPECT_EQ(fadeValue, 1.0f) << "the restart sent the cue back to its start";
}

TEST(EndPosition, IsComparedUnsigned) {
  EXPECT_FALSE(PastEndPosition(0));
  EXPECT_FALSE(PastEndPosition(2838000));
  EXPECT_TRUE(PastEndPosition(2838001));
  EXPECT_TRUE(PastEndPosition(0x80000000u));
  EXPECT_TRUE(PastEndPosition(0xFFFFFFFFu));
}
