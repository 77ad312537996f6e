// The whole program on the offline host, ending on the music position: the frame that first
// reads a position past 2838000 is drawn and presented, and then the run ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/main_loop.h"
#include "demo/music_position.h"
#include "demo/soundtrack.h"
#include "platform/host/host.h"
#include "platform/win32/time_source.h"

TEST(EndOfRun, TheFramePastTheEndPositionIsTheLastOne) {
  ASSERT_EQ(chdir(VANTREL_BUILD_DIR), 0);
  // The clock stands still, so each frame reads exactly the position the previous frame set.
  // Positions are whole stereo sample frames: 2838004 is the first one past 2838000.
  const DWORD positions[] = {0, 1615400, 2838000, 2838000, 2838004, 0, 0, 0};
  std::vector<DWORD> seen;
  platform::host::OfflineOptions options;
  options.width = 640;  // the smallest mode the setup dialog offers
  options.height = 480;
  options.maxFrames = 8;  // a safety net: Escape after eight frames
  options.frameSink = [&](int index, const uint8_t*, UINT, UINT) {
    seen.push_back(musicPosition);
    if (index + 1 < 8) BASS_ChannelSetPosition(soundtrackStream, positions[index + 1]);
  };
  std::string error;
  ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  platform::SetTimeSource([] { return DWORD{5000}; });
  const int exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(seen, (std::vector<DWORD>{0, 1615400, 2838000, 2838000, 2838004}));
}
