// libFuzzer target: opening, decoding and seeking an MP3 stream held in memory. The input
// sits in a buffer of exactly its size, so any read past it is a finding, as are crashes,
// leaks, a decode longer than the reported length or a seek that lands elsewhere.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/mp3_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  std::string error;
  auto decoder = platform::audio::Mp3Decoder::Open(bytes.data(), bytes.size(), &error);
  if (!decoder) return 0;
  std::vector<uint8_t> pcm(16384);
  uint64_t total = 0;
  size_t got;
  while ((got = decoder->Read(pcm.data(), pcm.size())) > 0) {
    if (got % decoder->FrameBytes() != 0) std::abort();
    total += got;
  }
  if (total > decoder->LengthBytes()) std::abort();
  const uint64_t length = decoder->LengthBytes();
  for (uint64_t target : {length / 3, length / 2 + 1, uint64_t{0}}) {
    if (decoder->Seek(target)) {
      if (decoder->Tell() != target - target % decoder->FrameBytes()) std::abort();
      decoder->Read(pcm.data(), pcm.size());
    }
  }
  return 0;
}
