#include "capture_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/host/key_script.h"

const char kCaptureUsage[] =
    "Usage: vantrel-capture [options]\n"
    "Runs the demo without a window or sound device, on a virtual clock, and writes every\n"
    "presented frame as frame-00000.png, frame-00001.png, ... The exit code is the demo's\n"
    "(0: ended or Escape, 1: window closed); 2 when it could not run or a frame was not written.\n"
    "\n"
    "  --out DIR|FILE.mp4|none\n"
    "                       where frames go (default: frames): PNGs in a directory, a video\n"
    "                       with the soundtrack (needs ffmpeg), or none to discard them\n"
    "  --size WxH           back-buffer size, offered as the one display mode (default 800x600,\n"
    "                       at least 640x480)\n"
    "  --fps N              frames per second of demo time (default 60)\n"
    "  --frames N           end after N frames, as Escape would (default: when the demo ends)\n"
    "  --keys SCRIPT        key presses: KEY@FRAME (pressed after frame FRAME is drawn, released\n"
    "                       after the next) or KEY@FROM-TO (held), comma separated; frames count\n"
    "                       from 0; KEY is esc, space, enter, tab, up, down, left, right, f1-f12,\n"
    "                       a letter, a digit, or quit (closes the window)\n"
    "  --device hal|tnl|ref the setup dialog's device choice (default hal)\n"
    "  --windowed           tick \"Windowed\" in the setup dialog\n"
    "  --no-triple-buffering  untick \"Triple Buffering\"\n"
    "  --cancel             answer the setup dialog with Cancel\n"
    "  --help               this text\n"
    "\n"
    "Example: vantrel-capture --frames 120 --keys space@30-90 --out shots\n";

namespace {

bool ParseNumber(const char* text, unsigned long max, unsigned long* value) {
  if (!text || !*text || !std::isdigit(static_cast<unsigned char>(*text))) return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (errno != 0 || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error) {
  CaptureOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    unsigned long n = 0;
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--out") {
      if (!value(&v)) return false;
      if (!*v) {
        *error = "--out needs a directory, a .mp4 file or none";
        return false;
      }
      o.out = v;
    } else if (arg == "--size") {
      if (!value(&v)) return false;
      const char* x = std::strchr(v, 'x');
      unsigned long w = 0, h = 0;
      // The setup dialog offers no mode below 640x480.
      if (!x || !ParseNumber(std::string(v, x).c_str(), 16384, &w) ||
          !ParseNumber(x + 1, 16384, &h) || w < 640 || h < 480) {
        *error = std::string("--size wants WIDTHxHEIGHT from 640x480 to 16384x16384, not '") + v +
                 "'";
        return false;
      }
      o.offline.width = static_cast<UINT>(w);
      o.offline.height = static_cast<UINT>(h);
    } else if (arg == "--fps") {
      if (!value(&v)) return false;
      if (!ParseNumber(v, 100000, &n) || n == 0) {
        *error = std::string("--fps wants a whole number from 1 to 100000, not '") + v + "'";
        return false;
      }
      o.offline.fps = static_cast<UINT>(n);
    } else if (arg == "--frames") {
      if (!value(&v)) return false;
      if (!ParseNumber(v, 100000000, &n) || n == 0) {
        *error = std::string("--frames wants a whole number of at least 1, not '") + v + "'";
        return false;
      }
      o.offline.maxFrames = static_cast<int>(n);
    } else if (arg == "--keys") {
      if (!value(&v)) return false;
      if (!platform::host::ParseKeyScript(v, nullptr, error)) return false;
      o.offline.keyScript = v;
    } else if (arg == "--device") {
      if (!value(&v)) return false;
      const std::string d = v;
      if (d != "hal" && d != "tnl" && d != "ref") {
        *error = "--device wants hal, tnl or ref, not '" + d + "'";
        return false;
      }
      o.offline.device = d;
    } else if (arg == "--windowed") {
      o.offline.windowed = true;
    } else if (arg == "--no-triple-buffering") {
      o.offline.tripleBuffering = false;
    } else if (arg == "--cancel") {
      o.offline.cancel = true;
    } else {
      *error = "unknown option '" + arg + "' (see --help)";
      return false;
    }
  }
  *options = std::move(o);
  return true;
}
