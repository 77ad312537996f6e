#include <fstream>
#include <limits>
#include <sstream>

#include "scene3ds/load_log.h"
#include "scene_test_support.h"

namespace {

TEST(FormatFixed6, PrintsAsTheHomeRuntimeDoes) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0.000000"},
      {-0.0, "-0.000000"},
      {1.0, "1.000000"},
      {-17.364819f, "-17.364819"},
      {128 * 0.003921569f, "0.501961"},
      // Exact ties at the seventh decimal round up, not to even.
      {0.0078125, "0.007813"},
      {1.0078125, "1.007813"},
      {-2.5078125, "-2.507813"},
      {0.0000006, "0.000001"},
      {0.0000005, "0.000000"},  // just below the tie as a double
      {0.0000004, "0.000000"},
      {999999.9999996, "1000000.000000"},
      // Beyond 17 significant digits the runtime prints zeros.
      {1e20f, "100000002004087730000.000000"},
      {16777216.0f, "16777216.000000"},
      {1.0 / 0.0, "1.#INF00"},
      {-1.0 / 0.0, "-1.#INF00"},
  };
  for (const auto& c : cases) {
    char text[400];
    FormatFixed6(c.value, text, sizeof text);
    EXPECT_STREQ(text, c.text) << c.value;
  }
}

TEST(FormatFixed6, NotANumberUsesTheRuntimeSpelling) {
  char text[64];
  FormatFixed6(std::numeric_limits<double>::quiet_NaN(), text, sizeof text);
  EXPECT_STREQ(text, "1.#QNAN0");
  FormatFixed6(-std::numeric_limits<double>::quiet_NaN(), text, sizeof text);
  EXPECT_STREQ(text, "-1.#IND00");
}

class LoadLogTest : public SceneReadTest {};

TEST_F(LoadLogTest, WritesCrLfAndTheConversionsItUses) {
  LoadLog log;
  OpenLoadLog(&log);
  LogPrint(&log, "a %s %d %x %f%%\n b\n", "name", 65535, 0xb02a, 0.5);
  LogDamage(&log);
  LogDamage(&log);  // once per file
  CloseLoadLog(&log);
  EXPECT_EQ(Log(), "a name 65535 b02a 0.500000%\r\n b\r\nError in 3ds file !!! \r\n");
}

}  // namespace
