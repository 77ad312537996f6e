#include "audio/device_output.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

constexpr int kDeviceChannels = 2;
constexpr int kDeviceFrameBytes = kDeviceChannels * 2;

}  // namespace

bool DeviceOutput::Open(int rate, std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = kDeviceChannels;
  want.samples = 1024;
  want.callback = &DeviceOutput::Callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No format changes allowed: SDL converts to whatever the hardware wants, and our
  // position arithmetic stays in the rate we asked for.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  rate_ = rate;
  decodeBuffer_.resize(16384);
  mixBuffer_.resize(static_cast<size_t>(have.size) * 2);
  return true;
}

void DeviceOutput::Close() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  for (StreamChannel* c : channels_) {
    SDL_FreeAudioStream(c->converter);
    c->converter = nullptr;
  }
  channels_.clear();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void DeviceOutput::Start() { SDL_PauseAudioDevice(device_, 0); }

void DeviceOutput::Stop() { SDL_PauseAudioDevice(device_, 1); }

void DeviceOutput::Attach(StreamChannel* channel) {
  channel->converter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channel->decoder->Channels()),
                                          static_cast<int>(channel->decoder->Rate()), AUDIO_S16SYS,
                                          kDeviceChannels, rate_);
  SDL_LockAudioDevice(device_);
  channels_.push_back(channel);
  SDL_UnlockAudioDevice(device_);
}

void DeviceOutput::Detach(StreamChannel* channel) {
  SDL_LockAudioDevice(device_);
  channels_.erase(std::remove(channels_.begin(), channels_.end(), channel), channels_.end());
  SDL_UnlockAudioDevice(device_);
  SDL_FreeAudioStream(channel->converter);
  channel->converter = nullptr;
}

void DeviceOutput::Play(StreamChannel* channel) {
  SDL_LockAudioDevice(device_);
  if (!channel->playing) {
    channel->playing = true;
    channel->requestTicks = SDL_GetPerformanceCounter();
  }
  SDL_UnlockAudioDevice(device_);
}

bool DeviceOutput::Seek(StreamChannel* channel, uint64_t position) {
  SDL_LockAudioDevice(device_);
  const bool ok = channel->decoder->Seek(position);
  if (ok) {
    if (channel->converter) SDL_AudioStreamClear(channel->converter);
    channel->runStart = channel->decoder->Tell() / channel->FrameBytes();
    channel->fedFrames = channel->handedEarlier = channel->handedBefore = channel->handedTotal = 0;
    channel->requestTicks = SDL_GetPerformanceCounter();
    channel->decoderDrained = false;
  }
  SDL_UnlockAudioDevice(device_);
  return ok;
}

uint64_t DeviceOutput::Position(StreamChannel* channel) {
  SDL_LockAudioDevice(device_);
  // A device asks for more while it still holds one buffer: from its latest request on it
  // plays what it was handed the time before. Count what it had been given before that,
  // plus what the time since the request has played of that buffer.
  const double seconds =
      static_cast<double>(SDL_GetPerformanceCounter() - channel->requestTicks) / SDL_GetPerformanceFrequency();
  const uint64_t since = static_cast<uint64_t>(seconds * channel->decoder->Rate());
  const uint64_t frames = channel->runStart + std::min(channel->handedBefore, channel->handedEarlier + since);
  SDL_UnlockAudioDevice(device_);
  return std::min(channel->Length(), frames * channel->FrameBytes());
}

void DeviceOutput::Callback(void* self, uint8_t* out, int bytes) { static_cast<DeviceOutput*>(self)->Fill(out, bytes); }

void DeviceOutput::Feed(StreamChannel* channel, int wantedBytes) {
  while (!channel->decoderDrained && SDL_AudioStreamAvailable(channel->converter) < wantedBytes) {
    const size_t got = channel->decoder->Read(decodeBuffer_.data(), decodeBuffer_.size());
    if (got == 0) {
      SDL_AudioStreamFlush(channel->converter);
      channel->decoderDrained = true;
      break;
    }
    SDL_AudioStreamPut(channel->converter, decodeBuffer_.data(), static_cast<int>(got));
    channel->fedFrames += got / channel->FrameBytes();
  }
}

void DeviceOutput::Fill(uint8_t* out, int bytes) {
  std::memset(out, 0, static_cast<size_t>(bytes));
  if (mixBuffer_.size() < static_cast<size_t>(bytes)) return;  // never: SDL asks for its buffer size
  const uint64_t now = SDL_GetPerformanceCounter();
  for (StreamChannel* c : channels_) {
    if (!c->playing || !c->converter) continue;
    Feed(c, bytes);
    const int got = SDL_AudioStreamGet(c->converter, mixBuffer_.data(), bytes);
    if (got > 0) SDL_MixAudioFormat(out, mixBuffer_.data(), AUDIO_S16SYS, static_cast<Uint32>(got), SDL_MIX_MAXVOLUME);
    // Handed over = decoded minus what still waits in the converter, in stream frames.
    const double waiting = static_cast<double>(SDL_AudioStreamAvailable(c->converter)) / kDeviceFrameBytes *
                           static_cast<double>(c->decoder->Rate()) / rate_;
    const uint64_t waitingFrames = std::min<uint64_t>(c->fedFrames, static_cast<uint64_t>(waiting + 0.5));
    c->handedEarlier = c->handedBefore;
    c->handedBefore = c->handedTotal;
    c->handedTotal = std::max(c->handedBefore, c->fedFrames - waitingFrames);
    c->requestTicks = now;
  }
}

}  // namespace platform::audio
