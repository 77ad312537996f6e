// The stream interface on a real SDL audio device (SDL's dummy driver, which consumes
// audio at the wall-clock rate without hardware).
#include <bass.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <thread>

#include "host/host.h"
#include "test_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TEST(LiveAudio, PositionGrowsWithPlaybackAndFollowsSeeks) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(platform::host::CurrentMode(), platform::host::Mode::Live);
  ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_NOSYNC, nullptr));
  const auto mp3 = ReadWholeFile(TestDataPath("mp3/minimp3_l3-sin1k0db.mp3"));
  const HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), BASS_MP3_SETPOS);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);

  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  const auto started = Clock::now();
  DWORD last = 0;
  int rises = 0, readings = 0;
  while (MsSince(started) < 400) {
    ++readings;
    const DWORD now = BASS_ChannelGetPosition(stream);
    EXPECT_GE(now, last) << "the position went backwards";
    EXPECT_EQ(now % 4, 0u);
    rises += now > last;
    last = now;
    Sleep(5);
  }
  // Smooth: it moved between most readings 5 ms apart, not once per 23 ms device buffer only.
  EXPECT_GT(rises, readings * 2 / 3) << rises << " of " << readings;
  // Never ahead of the wall clock; behind it by the device's buffers (and by a busy machine).
  const double played = last / 176.4;  // ms
  const double elapsed = MsSince(started);
  EXPECT_LE(played, elapsed + 5.0);
  EXPECT_GE(played, elapsed - 300.0);

  ASSERT_TRUE(BASS_ChannelSetPosition(stream, 0));
  EXPECT_LT(BASS_ChannelGetPosition(stream), 176400u / 20);
  Sleep(100);
  const DWORD afterSeek = BASS_ChannelGetPosition(stream);
  EXPECT_GT(afterSeek, 0u);
  EXPECT_LT(afterSeek, last);

  // A short stream plays to its end, and its position comes to rest on its length.
  const auto shortMp3 = ReadWholeFile(TestDataPath("mp3/tinytag_mpeg1_44_1khz_cbr.mp3"));
  const HSTREAM shortStream =
      BASS_StreamCreateFile(TRUE, shortMp3.data(), 0, static_cast<DWORD>(shortMp3.size()), 0);
  ASSERT_NE(shortStream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(shortStream, FALSE, 0));
  Sleep(300);
  EXPECT_EQ(BASS_ChannelGetPosition(shortStream), 17640u);

  // Stopping the output holds the position.
  ASSERT_TRUE(BASS_Stop());
  Sleep(60);
  const DWORD stopped = BASS_ChannelGetPosition(stream);
  Sleep(100);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), stopped);
  BASS_Free();
}

TEST(LiveAudio, TheDeviceReceivesTheDecodedStream) {
  // SDL's disk driver writes what the device is given to a file, at the playback rate.
  const std::string capture = testing::TempDir() + "vantrel-audio-" + std::to_string(getpid()) + ".raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
  const auto mp3 = ReadWholeFile(TestDataPath("mp3/minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.mp3"));
  const auto reference = ReadWholeFile(TestDataPath("mp3/minimp3_l3-nonstandard-sin1k0db_lame_vbrtag.pcm"));
  const HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  Sleep(250);
  BASS_Free();
  const auto played = ReadWholeFile(capture);
  std::remove(capture.c_str());
  ASSERT_GE(played.size(), 176400u / 10);
  // The device ran before the stream started, so the stream begins after whole buffers of
  // silence; from there on it is the decoded stream, within the decoders' one step of rounding.
  size_t start = 0;
  while (start < played.size() && played[start] == 0) ++start;
  start -= start % 4096;
  const size_t compared = std::min(played.size() - start, reference.size());
  ASSERT_GE(compared, 176400u / 20);
  int worst = 0;
  for (size_t i = 0; i + 1 < compared; i += 2) {
    int16_t a, b;
    std::memcpy(&a, &played[start + i], 2);
    std::memcpy(&b, &reference[i], 2);
    worst = std::max(worst, std::abs(a - b));
  }
  EXPECT_LE(worst, 1);
}
