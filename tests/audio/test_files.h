// Reading whole files for the audio tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The real-world MP3s of the test collection with their decoded format and length in bytes:
// int16 counts from the collection's notes (the mpg123 decode, or the reference PCM plus the
// extra frame noted there), and for the rest the byte counts a full ffmpeg decode gives, as
// the durations ffprobe quotes are estimates from the headers.
struct RealMp3 {
  const char* name;
  long rate;
  int channels;
  uint64_t bytes;
};
extern const RealMp3 kRealMp3s[7];

std::vector<uint8_t> ReadWholeFile(const std::string& path);
std::string TestDataPath(const std::string& relative);
