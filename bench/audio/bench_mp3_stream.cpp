// How long the soundtrack takes to open (scan and index), to decode whole, and what one
// restart costs (the seek to 0 plus a frame's worth of audio, as when '1' is held). Prints
// medians over several runs and the decode speed as a multiple of real time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/mp3_decoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <typename F>
double MedianMs(int runs, F&& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = VANTREL_SOUNDTRACK_MP3;
  int runs = 9;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--help")) {
      std::printf("usage: bench_mp3_stream [--runs N] [FILE.mp3]  (default: the built soundtrack)\n");
      return 0;
    } else {
      path = argv[i];
    }
  }
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string error;
  auto decoder = platform::audio::Mp3Decoder::Open(mp3.data(), mp3.size(), &error);
  if (!decoder) {
    std::fprintf(stderr, "bench_mp3_stream: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  const double seconds = static_cast<double>(decoder->LengthBytes()) / decoder->FrameBytes() / decoder->Rate();
  std::vector<uint8_t> pcm(65536);

  const double openMs = MedianMs(runs, [&] { platform::audio::Mp3Decoder::Open(mp3.data(), mp3.size(), &error); });
  const double decodeMs = MedianMs(runs, [&] {
    decoder->Seek(0);
    while (decoder->Read(pcm.data(), pcm.size()) > 0) {
    }
  });
  const size_t frameBytes = static_cast<size_t>(decoder->Rate() / 60) * decoder->FrameBytes();
  const double restartMs = MedianMs(runs * 20, [&] {
    decoder->Seek(decoder->LengthBytes() / 2);
    decoder->Seek(0);
    decoder->Read(pcm.data(), std::min(frameBytes, pcm.size()));
  });
  std::printf("%s: %.2f s of audio\n", path.c_str(), seconds);
  std::printf("open (scan and index): median %.2f ms\n", openMs);
  std::printf("decode whole:          median %.2f ms (%.0fx real time)\n", decodeMs, seconds * 1000.0 / decodeMs);
  std::printf("restart (seek + 1/60 s): median %.3f ms\n", restartMs);
  return 0;
}
