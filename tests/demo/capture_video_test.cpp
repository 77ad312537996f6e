// vantrel-capture writing a video: the frames piped through ffmpeg, the soundtrack muxed in.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int exitCode = -1;
  std::string output;
};

Outcome Shell(const std::string& command) {
  Outcome run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe)) run.output += buffer.data();
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class CaptureVideo : public testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vantrel-video-test-" + std::to_string(getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

}  // namespace

TEST_F(CaptureVideo, WritesAPlayableVideoWithTheSoundtrackTheSameEveryTime) {
  if (Shell("command -v ffmpeg").exitCode != 0) GTEST_SKIP() << "ffmpeg is not installed (scripts/deps installs it)";
  const fs::path first = dir / "first.mp4", second = dir / "second.mp4";
  for (const fs::path& out : {first, second}) {
    const Outcome run = Shell(std::string(CAPTURE_PROGRAM) + " --frames 120 --size 640x480 --out " + out.string());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("with sound"), std::string::npos) << run.output;
  }
  EXPECT_EQ(ReadAll(first), ReadAll(second)) << "two runs of one command differ";

  const Outcome probe = Shell("ffprobe -v error -show_entries stream=codec_type,nb_frames,width,height,channels,sample_rate "
                          "-show_entries format=duration -of default=noprint_wrappers=1 " + first.string());
  ASSERT_EQ(probe.exitCode, 0) << probe.output;
  for (const char* fact : {"codec_type=video", "width=640", "height=480", "nb_frames=120", "codec_type=audio",
                           "sample_rate=44100", "channels=2"}) {
    EXPECT_NE(probe.output.find(fact), std::string::npos) << fact << " in\n" << probe.output;
  }
  const size_t at = probe.output.find("duration=");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(probe.output.substr(at + 9)), 2.0, 0.05);

  // The sound is the soundtrack's first two seconds: its swelling start, not silence.
  const fs::path sound = dir / "sound.raw";
  ASSERT_EQ(Shell("ffmpeg -v error -y -i " + first.string() + " -f s16le -ac 1 " + sound.string()).exitCode, 0);
  const std::string pcm = ReadAll(sound);
  double late = 0, early = 0;
  const size_t samples = pcm.size() / 2;
  for (size_t i = 0; i < samples; ++i) {
    const double v = static_cast<int16_t>(static_cast<uint8_t>(pcm[2 * i]) | (static_cast<uint8_t>(pcm[2 * i + 1]) << 8));
    (i < samples / 2 ? early : late) += v * v;
  }
  EXPECT_GT(std::sqrt(late / (samples / 2)), 100.0);
  EXPECT_GT(late, early) << "the intro swells";
}

TEST_F(CaptureVideo, WithoutFfmpegItSaysSoAndFails) {
  const fs::path out = dir / "none.mp4";
  const Outcome run = Shell("PATH=/nonexistent " + std::string(CAPTURE_PROGRAM) + " --frames 2 --out " + out.string());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("ffmpeg"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(out));
}
