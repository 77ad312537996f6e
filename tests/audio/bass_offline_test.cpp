// The stream interface in the offline host: positions follow the clock, no device opens.
#include <bass.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "host/host.h"
#include "test_files.h"
#include "win32/time_source.h"

namespace {

DWORD fakeNow = 0;

class OfflineAudio : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool hostReady = false;
    if (!hostReady) {
      platform::host::OfflineOptions options;
      std::string error;
      ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
      hostReady = true;
    }
    // The offline host's clock moves at Present; these tests move it by hand.
    platform::SetTimeSource([] { return fakeNow; });
  }

  void SetUp() override {
    fakeNow = 5000;
    ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_NOSYNC, nullptr));
  }
  void TearDown() override { BASS_Free(); }

  HSTREAM Open(const char* name) {
    bytes_ = ReadWholeFile(TestDataPath(std::string("mp3/") + name));
    return BASS_StreamCreateFile(TRUE, bytes_.data(), 0, static_cast<DWORD>(bytes_.size()), BASS_MP3_SETPOS);
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace

TEST_F(OfflineAudio, OpensNoDevice) {
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(OfflineAudio, PositionIsTheClockInWholeSampleFrames) {
  const struct {
    const char* file;
    DWORD ms;
    DWORD bytes;
  } cases[] = {
      {"minimp3_l3-sin1k0db.mp3", 0, 0},
      {"minimp3_l3-sin1k0db.mp3", 1, 44 * 4},
      {"minimp3_l3-sin1k0db.mp3", 3, 132 * 4},  // 132.3 frames: the part frame does not count
      {"minimp3_l3-sin1k0db.mp3", 17, 749 * 4},
      {"minimp3_l3-sin1k0db.mp3", 1000, 176400},
      {"minimp3_l3-sin1k0db.mp3", 8000, 1411200},
      {"minimp3_l3-sin1k0db.mp3", 8281, 1460736},  // the end: 365184 frames
      {"minimp3_l3-sin1k0db.mp3", 60000, 1460736},  // and it stays there
      {"minimp3_l3-compl.mp3", 7, 336 * 2},        // 48 kHz mono
      {"minimp3_l3-compl.mp3", 5183, 248784 * 2},
      {"minimp3_l3-compl.mp3", 5184, 248832 * 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.ms) + " ms");
    fakeNow = 5000;
    const HSTREAM stream = Open(c.file);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    fakeNow += c.ms;
    EXPECT_EQ(BASS_ChannelGetPosition(stream), c.bytes);
    BASS_StreamFree(stream);
  }
}

TEST_F(OfflineAudio, CountsAcrossTheMillisecondCounterWrap) {
  fakeNow = 0xFFFFFF00u;
  const HSTREAM stream = Open("minimp3_l3-sin1k0db.mp3");
  BASS_StreamPlay(stream, FALSE, 0);
  fakeNow += 1000;  // wraps past zero
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 176400u);
}

TEST_F(OfflineAudio, StandsStillUntilPlayedAndWhileOutputIsStopped) {
  const HSTREAM stream = Open("minimp3_l3-sin1k0db.mp3");
  fakeNow += 500;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  BASS_StreamPlay(stream, FALSE, 0);
  fakeNow += 100;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 17640u);
  ASSERT_TRUE(BASS_Stop());
  fakeNow += 2000;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 17640u);
  ASSERT_TRUE(BASS_Start());
  fakeNow += 100;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 35280u);
}

TEST_F(OfflineAudio, SeeksAndPlaysOnFromThere) {
  const HSTREAM stream = Open("minimp3_l3-sin1k0db.mp3");
  BASS_StreamPlay(stream, FALSE, 0);
  fakeNow += 2000;
  ASSERT_EQ(BASS_ChannelGetPosition(stream), 352800u);

  // Playing an already playing stream without flushing changes nothing.
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 352800u);

  // Back to the start, as the restart key does every frame while it is held.
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, 0));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  fakeNow += 10;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 441u * 4);

  // An odd byte position is taken back to its sample frame.
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, 1000003));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 1000000u);

  // A finished stream can be sent back to the start and plays again.
  fakeNow += 60000;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 1460736u);
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, 0));
  fakeNow += 1000;
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 176400u);

  // Flushing restarts from the beginning.
  ASSERT_TRUE(BASS_StreamPlay(stream, TRUE, 0));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);

  EXPECT_FALSE(BASS_ChannelSetPosition(stream, 1460736 + 4));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
}

TEST_F(OfflineAudio, ReadsTheGivenRangeOfTheCallersMemory) {
  const auto mp3 = ReadWholeFile(TestDataPath("mp3/minimp3_l3-sin1k0db.mp3"));
  std::vector<uint8_t> framed(300 + mp3.size() + 5000, 0xAA);
  std::fill(framed.begin(), framed.begin() + 300, 0x55);
  std::copy(mp3.begin(), mp3.end(), framed.begin() + 300);
  const HSTREAM stream = BASS_StreamCreateFile(TRUE, framed.data(), 300, static_cast<DWORD>(mp3.size()), 0);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_StreamGetLength(stream), 1460736u);
}

TEST_F(OfflineAudio, EveryRealFileReportsItsLength) {
  for (const RealMp3& f : kRealMp3s) {
    SCOPED_TRACE(f.name);
    const HSTREAM stream = Open(f.name);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetLength(stream), f.bytes);
  }
  // The same through a path.
  const std::string path = TestDataPath("mp3/minimp3_l3-compl.mp3");
  const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_StreamGetLength(stream), 497664u);
}

TEST_F(OfflineAudio, DataWithoutAnMp3GivesNoStreamOneMessageAndPositionZero) {
  const auto jpeg = ReadWholeFile(TestDataPath("images/irr_t351sml.jpg"));
  const uint8_t nothing[1] = {0};
  const struct {
    const char* what;
    const void* data;
    DWORD length;
  } cases[] = {{"zero length", nothing, 0}, {"null", nullptr, 100}, {"jpeg", jpeg.data(), static_cast<DWORD>(jpeg.size())}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::internal::CaptureStderr();
    const HSTREAM stream = BASS_StreamCreateFile(TRUE, c.data, 0, c.length, BASS_MP3_SETPOS);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    // What the demo then does with the handle it got: all harmless, the position stays 0.
    EXPECT_FALSE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, 0));
    fakeNow += 20000;
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  }
  const HSTREAM missing = BASS_StreamCreateFile(FALSE, "/nonexistent/Tarsk.mp3", 0, 0, 0);
  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(OfflineAudio, InitialisesOnceAndNeedsInitialising) {
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  BASS_Free();
  const auto mp3 = ReadWholeFile(TestDataPath("mp3/minimp3_l3-compl.mp3"));
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
}
