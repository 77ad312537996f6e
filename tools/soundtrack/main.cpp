// vantrel-soundtrack: synthesises the demo's soundtrack and writes it as an MP3.
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "composition.h"
#include "master.h"
#include "mp3_writer.h"

namespace {

void Usage(FILE* to) {
  std::fprintf(to,
               "usage: vantrel-soundtrack --out FILE.mp3 [--wav FILE.wav] [--kbps N]\n"
               "Synthesises the demo soundtrack (%.0f s, 44100 Hz stereo, %.0f BPM) and encodes it.\n"
               "  --out FILE   MP3 to write\n"
               "  --wav FILE   also write the uncompressed mix (16-bit WAV)\n"
               "  --kbps N     constant bit rate, 192 to 320 (default 256)\n",
               soundtrack::kLengthSeconds, soundtrack::kTempo);
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, wav;
  int kbps = 256;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "vantrel-soundtrack: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (arg == "--out") {
      out = value();
    } else if (arg == "--wav") {
      wav = value();
    } else if (arg == "--kbps") {
      kbps = std::atoi(value());
    } else {
      std::fprintf(stderr, "vantrel-soundtrack: unknown argument '%s'\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }
  if (out.empty()) {
    Usage(stderr);
    return 2;
  }
  if (kbps < 192 || kbps > 320) {
    std::fprintf(stderr, "vantrel-soundtrack: --kbps must be between 192 and 320\n");
    return 2;
  }

  const soundtrack::Stereo mix = soundtrack::ComposeSoundtrack(-1.0);
  std::string error;
  if (!wav.empty() && !soundtrack::WriteWav(mix, wav, &error)) {
    std::fprintf(stderr, "vantrel-soundtrack: %s\n", error.c_str());
    return 1;
  }
  std::vector<uint8_t> mp3;
  if (!soundtrack::EncodeMp3(mix, kbps, &mp3, &error)) {
    std::fprintf(stderr, "vantrel-soundtrack: %s\n", error.c_str());
    return 1;
  }
  // Write beside the target and rename, so an interrupted build never leaves half a file.
  const std::string partial = out + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file || std::fwrite(mp3.data(), 1, mp3.size(), file) != mp3.size() || std::fclose(file) != 0) {
    std::fprintf(stderr, "vantrel-soundtrack: cannot write %s: %s\n", partial.c_str(), std::strerror(errno));
    return 1;
  }
  if (std::rename(partial.c_str(), out.c_str()) != 0) {
    std::fprintf(stderr, "vantrel-soundtrack: cannot rename %s to %s: %s\n", partial.c_str(), out.c_str(),
                 std::strerror(errno));
    return 1;
  }
  std::printf("%s: %.2f s, %d kbit/s, %zu bytes, peak %.2f dBFS\n", out.c_str(), soundtrack::kLengthSeconds, kbps,
              mp3.size(), 20.0 * std::log10(soundtrack::Peak(mix)));
  return 0;
}
