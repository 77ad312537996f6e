// Times the whole read of 3DS files (editor and keyframer passes, load log):
// median and spread over repeated reads of each file.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scene3ds/read_3ds.h"
#include "scene3ds/scene.h"

namespace {

void PrintUsage() {
  std::puts(
      "Usage: bench_read_3ds [--runs N] FILE.3ds...\n"
      "Reads each file N times (default 15) with the demo's reader, in a scratch\n"
      "folder for engine.log, and prints the median, fastest and slowest read.");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 15;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      PrintUsage();
      return 0;
    }
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
      continue;
    }
    files.push_back(arg);
  }
  if (files.empty()) {
    PrintUsage();
    return 1;
  }
  std::vector<std::vector<BYTE>> images;
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "bench_read_3ds: cannot read %s\n", path.c_str());
      return 1;
    }
    images.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  char folder[] = "/tmp/vantrel-bench3ds-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) {
    std::perror("bench_read_3ds: scratch folder");
    return 1;
  }
  std::printf("%-40s %10s %10s %10s %10s\n", "file", "bytes", "median ms", "min ms", "max ms");
  for (size_t f = 0; f < files.size(); ++f) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
      Scene* scene = CreateScene();
      const auto start = std::chrono::steady_clock::now();
      Read3dsImage(images[f].data(), static_cast<DWORD>(images[f].size()), scene);
      const auto end = std::chrono::steady_clock::now();
      times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
      ReleaseScene(scene);
    }
    std::sort(times.begin(), times.end());
    const std::string name = files[f].substr(files[f].find_last_of('/') + 1);
    std::printf("%-40s %10zu %10.3f %10.3f %10.3f\n", name.c_str(), images[f].size(), times[times.size() / 2],
                times.front(), times.back());
  }
  std::remove("engine.log");
  rmdir(folder);
  return 0;
}
