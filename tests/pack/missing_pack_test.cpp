// The demo itself, started where there is no pack: one report naming the pack and the reason,
// then the exit code for a demo that cannot start, before any frame.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pack_test_util.h"

namespace {

TEST(MissingPack, ReportedOnceAndTheDemoEndsWithTwo) {
  const std::filesystem::path folder = packtest::TempFolder();
  std::filesystem::remove(folder / "Vantrel.dat");
  const std::string command = "cd \"" + folder.string() + "\" && VANTREL_HOST=offline timeout 60 \"" +
                              std::string(DEMO_PROGRAM) + "\" 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
  const int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status)) << output;
  EXPECT_EQ(WEXITSTATUS(status), 2) << output;
  const std::string report = "Cannot open the pack \"Vantrel.dat\": No such file or directory";
  const size_t first = output.find(report);
  ASSERT_NE(first, std::string::npos) << output;
  EXPECT_EQ(output.find(report, first + 1), std::string::npos) << "reported twice:\n" << output;
}

}  // namespace
