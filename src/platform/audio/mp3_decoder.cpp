#include "mp3_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>

namespace platform::audio {

namespace {

mpg123_ssize_t ReadSource(void* handle, void* out, size_t count) {
  auto* source = static_cast<Mp3Decoder::Source*>(handle);
  const size_t n = std::min(count, source->size - source->offset);
  std::memcpy(out, source->data + source->offset, n);
  source->offset += n;
  return static_cast<mpg123_ssize_t>(n);
}

off_t SeekSource(void* handle, off_t offset, int whence) {
  auto* source = static_cast<Mp3Decoder::Source*>(handle);
  long long base = 0;
  if (whence == SEEK_CUR) base = static_cast<long long>(source->offset);
  if (whence == SEEK_END) base = static_cast<long long>(source->size);
  const long long target = base + static_cast<long long>(offset);
  if (target < 0 || target > static_cast<long long>(source->size)) return -1;
  source->offset = static_cast<size_t>(target);
  return static_cast<off_t>(target);
}

bool LibraryReady() {
  static const bool ready = mpg123_init() == MPG123_OK;
  return ready;
}

std::string Describe(mpg123_handle* handle, int code) {
  return handle ? mpg123_strerror(handle) : mpg123_plain_strerror(code);
}

// Opens the handle over the source with the given output formats allowed.
bool OpenOver(mpg123_handle* h, Mp3Decoder::Source* source) {
  source->offset = 0;
  return mpg123_replace_reader_handle(h, ReadSource, SeekSource, nullptr) == MPG123_OK &&
         mpg123_open_handle(h, source) == MPG123_OK;
}

}  // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(const uint8_t* data, size_t size, std::string* error) {
  if (!data || size == 0) {
    *error = "no data";
    return nullptr;
  }
  if (!LibraryReady()) {
    *error = "the MP3 decoder library could not be initialised";
    return nullptr;
  }
  std::unique_ptr<Mp3Decoder> decoder(new Mp3Decoder());
  if (!decoder->Start(data, size, error)) return nullptr;
  return decoder;
}

bool Mp3Decoder::Start(const uint8_t* data, size_t size, std::string* error) {
  source_ = {data, size, 0};
  int code = MPG123_OK;
  handle_ = mpg123_new(nullptr, &code);
  if (!handle_) {
    *error = Describe(nullptr, code);
    return false;
  }
  // Quiet: the caller reports. Gapless: the encoder's padding is not part of the music.
  mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_SEEKBUFFER, 0.0);
  mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_IGNORE_INFOFRAME, 0.0);
  // A seek decodes this many frames ahead of the target and throws them away: enough to
  // refill the largest bit reservoir (511 bytes) even with the smallest frames, so that
  // the samples after a seek are exactly those of a decode from the start.
  mpg123_param(handle_, MPG123_PREFRAMES, 24, 0.0);

  // First pass: find what the stream starts with, any rate and channel count allowed.
  mpg123_format_none(handle_);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) {
    mpg123_format(handle_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  int encoding = 0;
  if (!OpenOver(handle_, &source_) || mpg123_getformat(handle_, &rate_, &channels_, &encoding) != MPG123_OK) {
    *error = "not an MPEG audio stream";
    return false;
  }
  const off_t firstFrame = mpg123_framepos(handle_);
  mpg123_close(handle_);

  // Second pass: pin that format, so that a stream that switches between mono and stereo
  // frames keeps one layout and positions keep one unit.
  mpg123_format_none(handle_);
  mpg123_format(handle_, rate_, channels_ == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (!OpenOver(handle_, &source_) || mpg123_getformat(handle_, &rate_, &channels_, &encoding) != MPG123_OK) {
    *error = "not an MPEG audio stream";
    return false;
  }
  // Scanning every frame header gives the exact length and an index for exact seeks.
  if (mpg123_scan(handle_) != MPG123_OK) {
    *error = std::string("cannot scan the stream: ") + Describe(handle_, 0);
    return false;
  }
  const off_t samples = mpg123_length(handle_);
  if (samples <= 0) {
    *error = "the stream holds no audio frames";
    return false;
  }
  length_ = static_cast<uint64_t>(samples) * FrameBytes();
  // MPEG sync patterns turn up by chance in almost any large file, and the decoder happily
  // strings a few such chance frames together. Real frames fill the data: refuse a buffer
  // whose audio would need more than the format's highest bit rate (640 kbit/s), with room
  // left for trailing tags.
  const double seconds = static_cast<double>(samples) / rate_;
  const double span = static_cast<double>(size) - static_cast<double>(std::max<off_t>(firstFrame, 0));
  if (span > seconds * 80000.0 + 65536.0) {
    *error = "not an MPEG audio stream (only stray frame headers in " + std::to_string(size) + " bytes)";
    return false;
  }
  if (mpg123_seek(handle_, 0, SEEK_SET) < 0) {
    *error = std::string("cannot rewind the stream: ") + Describe(handle_, 0);
    return false;
  }
  position_ = 0;
  return true;
}

Mp3Decoder::~Mp3Decoder() {
  if (handle_) {
    mpg123_close(handle_);
    mpg123_delete(handle_);
  }
}

size_t Mp3Decoder::Read(uint8_t* out, size_t capacity) {
  capacity -= capacity % FrameBytes();
  size_t total = 0;
  while (!ended_ && total < capacity) {
    size_t done = 0;
    const int code = mpg123_read(handle_, out + total, capacity - total, &done);
    total += done;
    if (code == MPG123_DONE || (code != MPG123_OK && code != MPG123_NEW_FORMAT && done == 0)) {
      // The end, or damage the decoder cannot get past: either way nothing more comes.
      ended_ = true;
    }
  }
  // The scanned length is the contract; a stream that decodes longer is cut there.
  const uint64_t room = length_ > position_ ? length_ - position_ : 0;
  total = static_cast<size_t>(std::min<uint64_t>(total, room));
  total -= total % FrameBytes();
  position_ += total;
  if (position_ >= length_) ended_ = true;
  return total;
}

bool Mp3Decoder::Seek(uint64_t position) {
  position -= position % FrameBytes();
  if (position > length_) return false;
  const off_t sample = static_cast<off_t>(position / FrameBytes());
  if (mpg123_seek(handle_, sample, SEEK_SET) < 0) return false;
  position_ = position;
  ended_ = position_ >= length_;
  return true;
}

}  // namespace platform::audio
