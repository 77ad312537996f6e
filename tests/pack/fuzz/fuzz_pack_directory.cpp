// libFuzzer target: any bytes as a pack file, read and extracted from without trusting it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "pack/pack_file.h"

void ShowError(const char*) {}

namespace {
void Ignore(const char*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/vantrel-fuzz-pack-" + std::to_string(getpid()) + ".dat";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  PackFile pack(Ignore);
  pack.OpenPack(path.c_str());
  // Entries claiming huge sizes are handled before any read; keep each run quick.
  for (size_t i = 0; i < pack.entries.size() && i < 64; ++i) {
    const PackEntry& entry = pack.entries[i];
    if (entry.dataSize > (1u << 20)) continue;
    delete[] pack.Extract(entry.entryName);
  }
  delete[] pack.Extract("!textures\\napis.jpg");
  delete[] pack.Extract(std::string(300, 'A').c_str());
  return 0;
}
