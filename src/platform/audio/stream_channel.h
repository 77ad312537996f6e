// One MP3 stream and its playback state, shared by the output back-ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

#include "audio/mp3_decoder.h"

struct _SDL_AudioStream;

namespace platform::audio {

struct StreamChannel {
  std::vector<uint8_t> ownedBytes;  // file streams only; memory streams read the caller's bytes
  std::unique_ptr<Mp3Decoder> decoder;
  bool playing = false;

  // Clock-driven output: the position at the anchor time, and that time.
  uint64_t clockBase = 0;
  DWORD clockAnchor = 0;

  // Device output, touched by the device thread under the device lock. Counted in sample
  // frames of the stream from `runStart`, the frame playback last started or moved to.
  _SDL_AudioStream* converter = nullptr;
  uint64_t runStart = 0;
  uint64_t fedFrames = 0;       // decoded into the converter
  uint64_t handedEarlier = 0;   // handed to the device before its last-but-one request
  uint64_t handedBefore = 0;    // ... before its latest request
  uint64_t handedTotal = 0;     // ... and including it
  uint64_t requestTicks = 0;    // performance counter at the latest request
  bool decoderDrained = false;

  uint64_t Length() const { return decoder->LengthBytes(); }
  size_t FrameBytes() const { return decoder->FrameBytes(); }
};

// Position after `elapsedMs` milliseconds of playback from `base`: whole sample frames at the
// stream's rate, never past `length`.
uint64_t ClockPosition(uint64_t base, DWORD elapsedMs, long rate, size_t frameBytes, uint64_t length);

}  // namespace platform::audio
