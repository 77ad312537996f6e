// Load-time costs: the mip chain of a large texture, decoding the packed image kinds, and
// pulling an entry out of a pack. Run: build/bench_pack (medians with --benchmark_repetitions).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pack/pack_file.h"
#include "pack_writer.h"
#include "platform/d3dx8/texture_image.h"

namespace {

using namespace platform::d3dx8;

void MipChain(benchmark::State& state) {
  Image image;
  image.width = image.height = uint32_t(state.range(0));
  image.rgba.resize(size_t(image.width) * image.height * 4);
  for (size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = uint8_t(i * 31 + (i >> 12));
  for (auto _ : state) {
    Image level = image;
    while (level.width > 1 || level.height > 1) {
      level = Resize(level, MipExtent(level.width, 1), MipExtent(level.height, 1), kFilterLinear);
    }
    benchmark::DoNotOptimize(level.rgba.data());
  }
}
BENCHMARK(MipChain)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void DecodeFile(benchmark::State& state, const char* file) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!vantrel::pack::ReadFileBytes(std::string(VANTREL_TESTDATA) + "/images/" + file, &bytes,
                                    &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    DecodedImage decoded;
    benchmark::DoNotOptimize(DecodeImageFile(bytes.data(), bytes.size(), &decoded, &error));
  }
}
BENCHMARK_CAPTURE(DecodeFile, tga_rle, "irr_irrlichtlogoalpha2.tga");
BENCHMARK_CAPTURE(DecodeFile, bmp_24, "bmpsuite_rgb24.bmp");
BENCHMARK_CAPTURE(DecodeFile, jpeg_444, "pil_flower2.jpg");

void NoReport(const char*) {}

void ExtractEntry(benchmark::State& state) {
  vantrel::pack::PackWriter writer;
  std::string error;
  writer.Add("Tarsk.mp3", std::vector<uint8_t>(size_t(state.range(0)), 7), &error);
  for (int i = 0; i < 40; ++i) writer.Add("numbers\\" + std::to_string(i) + ".bmp", {1, 2}, &error);
  const std::string path =
      (std::filesystem::temp_directory_path() / "vantrel-bench-pack.dat").string();
  writer.Write(path, &error);
  PackFile pack(NoReport);
  pack.OpenPack(path.c_str());
  for (auto _ : state) delete[] pack.Extract("tarsk.MP3");
  std::filesystem::remove(path);
}
BENCHMARK(ExtractEntry)->Arg(3 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

void ShowError(const char*) {}

BENCHMARK_MAIN();
