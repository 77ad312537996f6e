// The stream interface on top of the decoder and the two kinds of output.
#include <bass.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "audio/device_output.h"
#include "audio/stream_channel.h"
#include "host/host.h"

namespace {

using platform::audio::ClockPosition;
using platform::audio::DeviceOutput;
using platform::audio::Mp3Decoder;
using platform::audio::StreamChannel;

struct Library {
  bool initialised = false;
  bool running = false;
  // Device output when the live host has a device; otherwise positions follow timeGetTime.
  DeviceOutput device;
  std::map<DWORD, std::unique_ptr<StreamChannel>> streams;
  DWORD nextHandle = 1;
};

Library& Lib() {
  static Library library;
  return library;
}

int lastError = BASS_OK;

template <typename T>
T Fail(int code, T result) {
  lastError = code;
  return result;
}

template <typename T>
T Succeed(T result) {
  lastError = BASS_OK;
  return result;
}

StreamChannel* Find(DWORD handle) {
  auto& streams = Lib().streams;
  const auto it = streams.find(handle);
  return it == streams.end() ? nullptr : it->second.get();
}

bool UsesDevice() { return Lib().device.IsOpen(); }

uint64_t CurrentPosition(StreamChannel* c) {
  if (UsesDevice()) return Lib().device.Position(c);
  if (!c->playing || !Lib().running) return c->clockBase;
  return ClockPosition(c->clockBase, timeGetTime() - c->clockAnchor, c->decoder->Rate(), c->FrameBytes(), c->Length());
}

}  // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win) {
  (void)flags;
  (void)win;
  Library& lib = Lib();
  if (lib.initialised) return Fail(BASS_ERROR_ALREADY, FALSE);
  if (device < -1) return Fail(BASS_ERROR_DEVICE, FALSE);
  if (freq == 0 || freq > 192000) return Fail(BASS_ERROR_ILLPARAM, FALSE);
  if (platform::host::CurrentMode() == platform::host::Mode::Live) {
    std::string error;
    if (!lib.device.Open(static_cast<int>(freq), &error)) {
      std::fprintf(stderr, "audio: no output device (%s); the music runs silently on the clock\n", error.c_str());
    } else {
      lib.device.Start();
    }
  }
  lib.initialised = true;
  lib.running = true;
  return Succeed(TRUE);
}

BOOL BASS_Start() {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
  if (!lib.running) {
    const DWORD now = timeGetTime();
    for (auto& [handle, c] : lib.streams) c->clockAnchor = now;
    if (UsesDevice()) lib.device.Start();
    lib.running = true;
  }
  return Succeed(TRUE);
}

BOOL BASS_Stop() {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
  if (lib.running) {
    for (auto& [handle, c] : lib.streams) c->clockBase = CurrentPosition(c.get());
    if (UsesDevice()) lib.device.Stop();
    lib.running = false;
  }
  return Succeed(TRUE);
}

BOOL BASS_Free() {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT, FALSE);
  lib.device.Close();
  lib.streams.clear();
  lib.initialised = false;
  lib.running = false;
  return Succeed(TRUE);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  (void)flags;
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT, HSTREAM{0});
  auto channel = std::make_unique<StreamChannel>();
  const uint8_t* data = nullptr;
  size_t size = 0;
  std::string what;
  if (mem) {
    data = file ? static_cast<const uint8_t*>(file) + offset : nullptr;
    size = file ? length : 0;
    what = std::to_string(size) + " bytes in memory";
  } else {
    const char* path = static_cast<const char*>(file);
    std::ifstream in(path ? path : "", std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "audio: cannot open %s\n", path ? path : "(null)");
      return Fail(BASS_ERROR_FILEOPEN, HSTREAM{0});
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (offset > bytes.size()) bytes.clear();
    const size_t available = bytes.size() - std::min<size_t>(offset, bytes.size());
    const size_t take = length == 0 ? available : std::min<size_t>(length, available);
    channel->ownedBytes.assign(bytes.begin() + (bytes.size() - available), bytes.begin() + (bytes.size() - available) + take);
    data = channel->ownedBytes.data();
    size = channel->ownedBytes.size();
    what = path;
  }
  std::string error;
  channel->decoder = Mp3Decoder::Open(data, size, &error);
  if (!channel->decoder) {
    std::fprintf(stderr, "audio: no MP3 stream in %s: %s\n", what.c_str(), error.c_str());
    return Fail(BASS_ERROR_FILEFORM, HSTREAM{0});
  }
  const DWORD handle = lib.nextHandle++;
  if (UsesDevice()) lib.device.Attach(channel.get());
  lib.streams[handle] = std::move(channel);
  return Succeed(handle);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  (void)flags;
  StreamChannel* c = Find(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (flush && !BASS_ChannelSetPosition(handle, 0)) return FALSE;
  if (UsesDevice()) {
    Lib().device.Play(c);
  } else if (!c->playing) {
    c->clockAnchor = timeGetTime();
    c->playing = true;
  }
  return Succeed(TRUE);
}

BOOL BASS_StreamFree(HSTREAM handle) {
  StreamChannel* c = Find(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (UsesDevice()) Lib().device.Detach(c);
  Lib().streams.erase(handle);
  return Succeed(TRUE);
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
  StreamChannel* c = Find(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, ~QWORD{0});
  return Succeed(QWORD{c->Length()});
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
  StreamChannel* c = Find(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, DWORD{0});
  return Succeed(static_cast<DWORD>(CurrentPosition(c)));
}

BOOL BASS_ChannelSetPosition(DWORD handle, DWORD position) {
  StreamChannel* c = Find(handle);
  if (!c) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (position > c->Length()) return Fail(BASS_ERROR_POSITION, FALSE);
  if (UsesDevice()) {
    if (!Lib().device.Seek(c, position)) return Fail(BASS_ERROR_POSITION, FALSE);
  } else {
    c->clockBase = position - position % c->FrameBytes();
    c->clockAnchor = timeGetTime();
  }
  return Succeed(TRUE);
}

int BASS_ErrorGetCode() { return lastError; }
