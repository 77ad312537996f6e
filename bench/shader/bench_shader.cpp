// Shader creation cost: decoding with validation, and GLSL translation, over the real-world
// shader sources (assembled first). Prints the median time per shader of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "assembler.h"
#include "platform/d3d8/shader/decoder.h"
#include "platform/d3d8/shader/glsl.h"

namespace fs = std::filesystem;
using namespace platform::shader;

int main(int argc, char** argv) {
  std::string dir = VANTREL_TESTDATA_DIR "/shaders";
  int runs = 15;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help")) {
      std::puts("usage: bench_shader [--runs N] [--dir SHADER_SOURCES]");
      return 0;
    }
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--dir") && i + 1 < argc) dir = argv[++i];
  }
  std::vector<std::vector<uint32_t>> streams;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".vsh" && ext != ".psh" && ext != ".nvv" && ext != ".nvp") continue;
    std::vector<uint32_t> tokens;
    shasm::Diagnostic error;
    if (shasm::AssembleFile(entry.path().string(), {}, &tokens, &error)) streams.push_back(tokens);
  }
  if (streams.empty()) {
    std::fprintf(stderr, "no shader sources under %s\n", dir.c_str());
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  std::vector<double> decode, translate;
  size_t sink = 0;
  for (int r = 0; r < runs; ++r) {
    std::vector<Program> programs(streams.size());
    auto t0 = Clock::now();
    for (size_t i = 0; i < streams.size(); ++i) {
      ShaderError e;
      DecodeAndValidate(streams[i].data(), streams[i].size(), &programs[i], &e);
    }
    auto t1 = Clock::now();
    const SamplerKinds kinds{};
    for (const Program& p : programs)
      sink += p.version.IsPixel() ? TranslatePixelProgram(p, kinds, {}).size() : TranslateVertexProgram(p, {}).size();
    auto t2 = Clock::now();
    decode.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count() / streams.size());
    translate.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count() / streams.size());
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::printf("%zu shaders, %d runs (%zu bytes of GLSL per run)\n", streams.size(), runs, sink / runs);
  std::printf("decode + validate: median %.2f us per shader\n", median(decode));
  std::printf("GLSL translation:  median %.2f us per shader\n", median(translate));
  return 0;
}
