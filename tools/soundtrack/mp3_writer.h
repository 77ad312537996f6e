// Encodes the soundtrack with LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp.h"

namespace soundtrack {

// Constant bit rate, joint stereo, with the encoder's info frame at the start so that
// decoders drop its padding and positions line up with the composition sample for sample.
// Returns false and fills error on failure.
bool EncodeMp3(const Stereo& audio, int kbps, std::vector<uint8_t>* out, std::string* error);

// 16-bit PCM WAV, for listening and measuring.
bool WriteWav(const Stereo& audio, const std::string& path, std::string* error);

}  // namespace soundtrack
