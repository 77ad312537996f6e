#include "host/key_script.h"

#include <gtest/gtest.h>

#include "host/virtual_clock.h"

using platform::host::ParseKeyScript;
using platform::host::ScriptedKey;
using platform::host::VirtualClock;

TEST(KeyScript, ParsesEveryForm) {
  std::vector<ScriptedKey> keys;
  std::string error;
  ASSERT_TRUE(ParseKeyScript(" esc@1, space@3-10,1@0 ,Q@7,quit@4,f10@2,Enter@5", &keys, &error))
      << error;
  ASSERT_EQ(keys.size(), 7u);
  const struct {
    UINT vk;
    bool quit;
    long press, release;
  } expected[] = {{VK_ESCAPE, false, 1, 2}, {VK_SPACE, false, 3, 10}, {'1', false, 0, 1},
                  {'Q', false, 7, 8},       {0, true, 4, 5},          {VK_F10, false, 2, 3},
                  {VK_RETURN, false, 5, 6}};
  for (size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(keys[i].virtualKey, expected[i].vk);
    EXPECT_EQ(keys[i].quit, expected[i].quit);
    EXPECT_EQ(keys[i].pressFrame, expected[i].press);
    EXPECT_EQ(keys[i].releaseFrame, expected[i].release);
  }
  EXPECT_TRUE(ParseKeyScript("", &keys, &error));
  EXPECT_TRUE(keys.empty());
}

TEST(KeyScript, RejectsMalformedItems) {
  for (const char* script : {"esc", "esc@", "@3", "esc@x", "esc@-3", "esc@3-", "esc@5-5",
                             "esc@6-2", "esc@1,,space@2", "esc@1,", "ctrl@1", "f13@1", "ab@1",
                             "esc@99999999999", "esc@1@2", "esc@1-2-3"}) {
    SCOPED_TRACE(script);
    std::vector<ScriptedKey> keys;
    std::string error;
    EXPECT_FALSE(ParseKeyScript(script, &keys, &error));
    EXPECT_NE(error.find("key script"), std::string::npos) << error;
  }
}

TEST(VirtualClock, AdvancesByExactFractionsWithoutDrift) {
  VirtualClock clock(5000, 60);
  EXPECT_EQ(clock.Now(), 5000u);
  clock.Advance();
  EXPECT_EQ(clock.Now(), 5016u);
  clock.Advance();
  EXPECT_EQ(clock.Now(), 5033u);
  clock.Advance();
  EXPECT_EQ(clock.Now(), 5050u);
  for (int i = 3; i < 60 * 3600; ++i) clock.Advance();
  EXPECT_EQ(clock.Now(), 5000u + 3600u * 1000u);  // an hour of frames is an hour

  VirtualClock odd(0, 7);
  for (int i = 0; i < 7; ++i) odd.Advance();
  EXPECT_EQ(odd.Now(), 1000u);
}

TEST(VirtualClock, WrapsLikeTheMillisecondCounter) {
  VirtualClock clock(0xFFFFFFF0u, 50);
  clock.Advance();
  EXPECT_EQ(clock.Now(), 0x00000004u);
  EXPECT_EQ(clock.Now() - 0xFFFFFFF0u, 20u);
}
