// The whole program on the offline host, through vantrel-capture: exit codes, frame counts and
// what the frames show.
#include <gtest/gtest.h>
#include <sys/wait.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct RunResult {
  int exitCode = -1;
  std::string errorOutput;
};

RunResult Capture(const std::string& arguments) {
  const std::string command = std::string(CAPTURE_PROGRAM) + " " + arguments + " 2>&1";
  RunResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) run.errorOutput += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class CaptureRun : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("vantrel-capture-test-" + std::to_string(getpid()) + "-" +
           testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  int Frames() const {
    if (!fs::exists(dir)) return 0;
    int n = 0;
    for (auto& e : fs::directory_iterator(dir)) n += e.path().extension() == ".png";
    return n;
  }
  std::string Out() const { return "--out " + dir.string(); }
  fs::path dir;
};

}  // namespace

TEST_F(CaptureRun, ExitCodes) {
  const struct {
    const char* arguments;
    int exitCode;
    int frames;
  } cases[] = {
      {"--keys esc@1", 0, 2},         // Escape after the second frame
      {"--keys quit@1", 1, 2},        // the window closed
      {"--keys esc@1,quit@1", 1, 2},  // both in one pump: the quit wins
      {"--keys quit@0,esc@0", 1, 1},
      {"--keys space@0-2,esc@2", 0, 3},
      {"--cancel", 0, 0},             // no window, no frame
      {"--frames 4", 0, 4},
      {"--frames 2 --windowed --no-triple-buffering --device ref", 0, 2},
      {"--frames 2 --device tnl --size 1024x768", 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    fs::remove_all(dir);
    const RunResult run = Capture(std::string(c.arguments) + " --fps 30 " + Out());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.errorOutput;
    EXPECT_EQ(Frames(), c.frames);
  }
}

TEST_F(CaptureRun, FramesHaveTheAskedSizeAndTheClearedColour) {
  for (const auto& [size, w, h] : {std::tuple{"", 800, 600}, std::tuple{"--size 640x480", 640, 480}}) {
    SCOPED_TRACE(size);
    fs::remove_all(dir);
    const RunResult run = Capture(std::string("--frames 2 ") + size + " " + Out());
    ASSERT_EQ(run.exitCode, 0) << run.errorOutput;
    ASSERT_EQ(Frames(), 2);
    for (const char* name : {"frame-00000.png", "frame-00001.png"}) {
      int width = 0, height = 0, channels = 0;
      stbi_uc* pixels =
          stbi_load((dir / name).string().c_str(), &width, &height, &channels, 3);
      ASSERT_NE(pixels, nullptr) << name;
      EXPECT_EQ(width, w);
      EXPECT_EQ(height, h);
      for (const auto& [x, y] : {std::pair{0, 0}, std::pair{w - 1, h - 1}, std::pair{w / 2, h / 3}}) {
        const stbi_uc* p = pixels + (size_t(y) * width + x) * 3;
        // The frame routine clears to black.
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[1], 0);
        EXPECT_EQ(p[2], 0);
      }
      stbi_image_free(pixels);
    }
  }
}

TEST_F(CaptureRun, TheDemoEndsWhenTheSoundtrackPassesItsEnd) {
  // At 10 fps, frame k is drawn at k x 100 ms: the first position past 2838000 bytes
  // (16.09 s) is frame 161, so 162 frames are drawn.
  const RunResult run = Capture("--fps 10 --out none");
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  EXPECT_NE(run.errorOutput.find("162 frames"), std::string::npos) << run.errorOutput;
}

TEST_F(CaptureRun, RejectsBadOptionsAndExplainsThem) {
  for (const char* bad : {"--size 800", "--size 320x200", "--fps 0", "--frames x", "--keys ctrl@1",
                          "--device fast", "--bogus", "--out"}) {
    SCOPED_TRACE(bad);
    const RunResult run = Capture(bad);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.errorOutput.find("vantrel-capture: "), std::string::npos) << run.errorOutput;
  }
  const RunResult help = Capture("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.errorOutput.find("--keys SCRIPT"), std::string::npos);
}

TEST_F(CaptureRun, AnUnwritableOutputFailsTheRun) {
  fs::create_directories(dir);
  { std::FILE* f = std::fopen((dir / "blocker").c_str(), "w"); std::fclose(f); }
  const RunResult run = Capture("--frames 2 --out " + (dir / "blocker").string());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.errorOutput.find("blocker"), std::string::npos) << run.errorOutput;
}
