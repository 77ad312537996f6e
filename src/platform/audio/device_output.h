// The live host's output: one SDL audio device that mixes every playing stream.
#pragma once

#include <string>
#include <vector>

#include "audio/stream_channel.h"

namespace platform::audio {

class DeviceOutput {
 public:
  // Opens the default device at `rate`, stereo 16-bit. False (with the reason) when there
  // is none.
  bool Open(int rate, std::string* error);
  void Close();
  bool IsOpen() const { return device_ != 0; }

  void Start();
  void Stop();

  // Both take the device lock: the device thread reads the channel list and decoders.
  void Attach(StreamChannel* channel);
  void Detach(StreamChannel* channel);
  void Play(StreamChannel* channel);
  bool Seek(StreamChannel* channel, uint64_t position);
  uint64_t Position(StreamChannel* channel);

 private:
  static void Callback(void* self, uint8_t* out, int bytes);
  void Fill(uint8_t* out, int bytes);
  void Feed(StreamChannel* channel, int wantedBytes);

  unsigned device_ = 0;
  int rate_ = 0;
  std::vector<StreamChannel*> channels_;
  std::vector<uint8_t> decodeBuffer_;
  std::vector<uint8_t> mixBuffer_;
};

}  // namespace platform::audio
