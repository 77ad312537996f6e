#include "mp3_writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace soundtrack {

bool EncodeMp3(const Stereo& audio, int kbps, std::vector<uint8_t>* out, std::string* error) {
  out->clear();
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) {
    *error = "the MP3 encoder could not be initialised";
    return false;
  }
  lame_global_flags* gf = lame.get();
  lame_set_in_samplerate(gf, static_cast<int>(kSampleRate));
  lame_set_out_samplerate(gf, static_cast<int>(kSampleRate));
  lame_set_num_channels(gf, 2);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, kbps);
  lame_set_quality(gf, 2);
  lame_set_bWriteVbrTag(gf, 1);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    *error = "the MP3 encoder rejected " + std::to_string(kbps) + " kbit/s at 44100 Hz stereo";
    return false;
  }

  constexpr int kChunk = 4096;
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * kChunk + 7200));
  const size_t frames = audio.Frames();
  for (size_t at = 0; at < frames; at += kChunk) {
    const int count = static_cast<int>(std::min<size_t>(kChunk, frames - at));
    const int written = lame_encode_buffer_ieee_float(gf, audio.left.data() + at, audio.right.data() + at, count,
                                                      buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) {
      *error = "MP3 encoding failed (code " + std::to_string(written) + ")";
      return false;
    }
    out->insert(out->end(), buffer.begin(), buffer.begin() + written);
  }
  const int tail = lame_encode_flush(gf, buffer.data(), static_cast<int>(buffer.size()));
  if (tail < 0) {
    *error = "MP3 encoding failed at the end (code " + std::to_string(tail) + ")";
    return false;
  }
  out->insert(out->end(), buffer.begin(), buffer.begin() + tail);

  // The info frame LAME reserved as the first frame now gets its final contents: the
  // encoder delay and padding that let a decoder trim the stream exactly.
  std::vector<unsigned char> tag(2880);
  const size_t tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
  if (tagSize > 0 && tagSize <= out->size()) std::copy(tag.begin(), tag.begin() + tagSize, out->begin());
  return true;
}

bool WriteWav(const Stereo& audio, const std::string& path, std::string* error) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) {
    *error = "cannot write " + path;
    return false;
  }
  const uint32_t dataBytes = static_cast<uint32_t>(audio.Frames() * 4);
  auto u32 = [&](uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    std::fwrite(b, 1, 4, file.get());
  };
  auto u16 = [&](uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(b, 1, 2, file.get());
  };
  std::fwrite("RIFF", 1, 4, file.get());
  u32(36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, file.get());
  u32(16);
  u16(1);
  u16(2);
  u32(44100);
  u32(44100 * 4);
  u16(4);
  u16(16);
  std::fwrite("data", 1, 4, file.get());
  u32(dataBytes);
  std::vector<int16_t> pcm(audio.Frames() * 2);
  for (size_t i = 0; i < audio.Frames(); ++i) {
    pcm[2 * i] = static_cast<int16_t>(std::lround(std::clamp(audio.left[i], -1.0f, 1.0f) * 32767.0f));
    pcm[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(audio.right[i], -1.0f, 1.0f) * 32767.0f));
  }
  // Little-endian host assumed, as everywhere in this project.
  if (std::fwrite(pcm.data(), 2, pcm.size(), file.get()) != pcm.size()) {
    *error = "short write to " + path;
    return false;
  }
  return true;
}

}  // namespace soundtrack
