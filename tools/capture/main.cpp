// vantrel-capture: runs the demo's WinMain on the offline host and stores every presented frame.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "capture_options.h"
#include "frame_sink.h"
#include "setup_answer.h"
#include "platform/host/host.h"
#include "platform/win32/window_system.h"

namespace {

constexpr int kExitCannotRun = 2;

struct Progress {
  bool terminal = isatty(STDERR_FILENO) != 0;
  int maxFrames = -1;
  UINT fps = 60;
  std::chrono::steady_clock::time_point lastShown{};
  bool shownOnce = false;

  void Show(int frame, bool final) {
    const int done = frame + 1;
    const auto now = std::chrono::steady_clock::now();
    if (!final) {
      // A terminal gets a line that updates in place; a log gets one line per demo second.
      if (terminal && shownOnce && now - lastShown < std::chrono::milliseconds(100)) return;
      if (!terminal && done % static_cast<int>(fps) != 0) return;
    }
    lastShown = now;
    shownOnce = true;
    char line[96];
    if (maxFrames > 0)
      std::snprintf(line, sizeof line, "vantrel-capture: frame %d/%d (%.2f s)", done, maxFrames,
                    done / static_cast<double>(fps));
    else
      std::snprintf(line, sizeof line, "vantrel-capture: frame %d (%.2f s)", done,
                    done / static_cast<double>(fps));
    std::fprintf(stderr, terminal ? "\r%s" : "%s\n", line);
    std::fflush(stderr);
  }
};

// The demo reads its pack from the current directory. Started from elsewhere, go to the
// directory of this program when the pack is there (build/ holds both).
void FindPackDirectory(std::string* out) {
  const char* kPack = "Vantrel.dat";
  if (std::filesystem::exists(kPack)) return;
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return;
  const auto home = self.parent_path();
  if (!std::filesystem::exists(home / kPack)) return;
  if (*out != "none") *out = std::filesystem::absolute(*out).string();
  std::filesystem::current_path(home, ec);
}

}  // namespace

int main(int argc, char** argv) {
  CaptureOptions options;
  std::string error;
  if (!ParseCaptureOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "vantrel-capture: %s\n", error.c_str());
    return kExitCannotRun;
  }
  if (options.help) {
    std::fputs(kCaptureUsage, stdout);
    return 0;
  }
  FindPackDirectory(&options.out);

  std::unique_ptr<FrameSink> sink = OpenFrameSink(options.out, options.offline.fps, &error);
  if (!sink) {
    std::fprintf(stderr, "vantrel-capture: %s\n", error.c_str());
    return kExitCannotRun;
  }

  Progress progress;
  progress.maxFrames = options.offline.maxFrames;
  progress.fps = options.offline.fps;
  int framesSeen = 0;
  bool writeFailed = false;
  std::string writeError;
  options.offline.frameSink = [&](int index, const uint8_t* bgra, UINT width, UINT height) {
    framesSeen = index + 1;
    if (writeFailed) return;
    if (!sink->Write(index, bgra, width, height, &writeError)) {
      // Nothing after a lost frame would be worth keeping: end the run as Escape would.
      writeFailed = true;
      platform::win32::PostKeyInput(platform::win32::FocusWindow(), VK_ESCAPE, true, false);
      return;
    }
    progress.Show(index, false);
  };

  const platform::host::OfflineOptions answers = options.offline;
  options.offline.dialogAnswer = [answers](HWND dialog) { AnswerSetupDialog(answers, dialog); };

  if (!platform::host::Initialize(&options.offline, &error)) {
    std::fprintf(stderr, "vantrel-capture: %s\n", error.c_str());
    return kExitCannotRun;
  }
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""),
                             SW_SHOWNORMAL);

  if (framesSeen > 0) progress.Show(framesSeen - 1, true);
  if (progress.terminal && framesSeen > 0) std::fputc('\n', stderr);
  bool finished = sink->Finish(&error);
  if (writeFailed) {
    std::fprintf(stderr, "vantrel-capture: %s\n", writeError.c_str());
    return kExitCannotRun;
  }
  if (!finished) {
    std::fprintf(stderr, "vantrel-capture: %s\n", error.c_str());
    return kExitCannotRun;
  }
  std::fprintf(stderr, "vantrel-capture: %d frame%s, %s, exit code %d\n", framesSeen,
               framesSeen == 1 ? "" : "s", sink->Describe().c_str(), result);
  return result;
}
