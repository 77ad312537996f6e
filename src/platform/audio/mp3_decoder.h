// An MP3 decoder that reads from bytes the caller keeps: 16-bit PCM at the stream's own
// rate and channel count, its exact length, and sample-accurate seeking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct mpg123_handle_struct;

namespace platform::audio {

class Mp3Decoder {
 public:
  // The bytes are not copied: they must outlive the decoder. Returns null and fills error
  // when they hold no MPEG audio stream.
  static std::unique_ptr<Mp3Decoder> Open(const uint8_t* data, size_t size, std::string* error);
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  long Rate() const { return rate_; }
  int Channels() const { return channels_; }
  size_t FrameBytes() const { return static_cast<size_t>(channels_) * 2; }
  // Decoded length in bytes of PCM, encoder padding excluded where the stream says how much.
  uint64_t LengthBytes() const { return length_; }

  // Decodes into out; returns the bytes written, a whole number of sample frames, and 0
  // only at the end of the stream.
  size_t Read(uint8_t* out, size_t capacity);
  // Moves to a byte position, rounded down to a whole sample frame; false past the end.
  bool Seek(uint64_t position);
  // The position of the next byte Read returns.
  uint64_t Tell() const { return position_; }

  // Used by the reader callbacks.
  struct Source {
    const uint8_t* data;
    size_t size;
    size_t offset;
  };

 private:
  Mp3Decoder() = default;
  bool Start(const uint8_t* data, size_t size, std::string* error);

  mpg123_handle_struct* handle_ = nullptr;
  Source source_{nullptr, 0, 0};
  long rate_ = 0;
  int channels_ = 0;
  uint64_t length_ = 0;
  uint64_t position_ = 0;
  bool ended_ = false;
};

}  // namespace platform::audio
