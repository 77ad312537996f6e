#include "mp4_sink.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "audio/mp3_decoder.h"
#include "demo/music_position.h"
#include "demo/soundtrack.h"

namespace {

namespace fs = std::filesystem;

bool FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    if (access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Single quotes for the shell, with embedded quotes closed and escaped.
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool RunQuietly(const std::string& command, std::string* error) {
  const int status = std::system(command.c_str());
  if (status != 0) {
    *error = "ffmpeg failed (" +
             (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status)) : std::string("killed")) +
             "): " + command;
    return false;
  }
  return true;
}

// Options that keep encoder versions and dates out of the file, so a run gives the same bytes.
const char kReproducible[] = " -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1";

void PutU32(FILE* f, uint32_t v) {
  const unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  std::fwrite(b, 1, 4, f);
}
void PutU16(FILE* f, uint16_t v) {
  const unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
  std::fwrite(b, 1, 2, f);
}

}  // namespace

bool IsVideoOutput(const std::string& out) {
  return out.size() > 4 && out.compare(out.size() - 4, 4, ".mp4") == 0;
}

std::unique_ptr<FrameSink> OpenMp4Sink(const std::string& path, UINT fps, std::string* error) {
  if (!FindOnPath("ffmpeg")) {
    *error = "writing " + path + " needs the ffmpeg command, which is not on PATH (apt-get install ffmpeg)";
    return nullptr;
  }
  // A dying encoder must turn into a write error, not end this process.
  std::signal(SIGPIPE, SIG_IGN);
  return std::make_unique<Mp4Sink>(path, fps);
}

Mp4Sink::Mp4Sink(std::string path, UINT fps)
    : path_(std::move(path)),
      videoPath_(path_ + ".video.mkv"),
      audioPath_(path_ + ".sound.wav"),
      partialPath_(path_ + ".partial"),
      fps_(fps) {}

Mp4Sink::~Mp4Sink() {
  if (encoder_) pclose(encoder_);
  RemoveTemporaries();
}

void Mp4Sink::RemoveTemporaries() {
  std::error_code ec;
  fs::remove(videoPath_, ec);
  fs::remove(audioPath_, ec);
  fs::remove(partialPath_, ec);
}

bool Mp4Sink::StartEncoder(UINT width, UINT height, std::string* error) {
  const std::string command = "ffmpeg -v error -nostdin -y -f rawvideo -pix_fmt bgra -s " + std::to_string(width) +
                              "x" + std::to_string(height) + " -framerate " + std::to_string(fps_) +
                              " -i - -an -c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p" + kReproducible +
                              " -f matroska " + Quote(videoPath_);
  encoder_ = popen(command.c_str(), "w");
  if (!encoder_) {
    *error = "cannot start ffmpeg: " + std::string(std::strerror(errno));
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

bool Mp4Sink::Write(int index, const uint8_t* bgra, UINT width, UINT height, std::string* error) {
  (void)index;
  if (!encoder_ && !StartEncoder(width, height, error)) return false;
  if (width != width_ || height != height_) {
    *error = "the frame size changed during the run";
    return false;
  }
  positions_.push_back(musicPosition);
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  if (std::fwrite(bgra, 1, bytes, encoder_) != bytes) {
    *error = "ffmpeg stopped taking frames for " + path_;
    return false;
  }
  return true;
}

bool Mp4Sink::WriteSoundtrack(std::string* note) {
  if (!soundtrackData || soundtrackSize == 0) {
    *note = "the demo had no soundtrack";
    return false;
  }
  std::string error;
  auto decoder = platform::audio::Mp3Decoder::Open(soundtrackData, soundtrackSize, &error);
  if (!decoder) {
    *note = "the soundtrack could not be decoded: " + error;
    return false;
  }
  std::vector<uint8_t> pcm(decoder->LengthBytes());
  size_t filled = 0, got;
  while (filled < pcm.size() && (got = decoder->Read(pcm.data() + filled, pcm.size() - filled)) > 0) filled += got;
  pcm.resize(filled);

  FILE* wav = std::fopen(audioPath_.c_str(), "wb");
  if (!wav) {
    *note = "cannot write " + audioPath_;
    return false;
  }
  const uint64_t rate = static_cast<uint64_t>(decoder->Rate());
  const size_t frameBytes = decoder->FrameBytes();
  // Frame k is shown from k/fps to (k+1)/fps and was drawn for the position it read: that
  // stretch of the video gets the music from that position on, silence past the end.
  std::vector<uint8_t> sound;
  for (size_t k = 0; k < positions_.size(); ++k) {
    const uint64_t count = (k + 1) * rate / fps_ - k * rate / fps_;
    const uint64_t from = positions_[k] - positions_[k] % frameBytes;
    for (uint64_t i = 0; i < count * frameBytes; ++i) {
      const uint64_t at = from + i;
      sound.push_back(at < pcm.size() ? pcm[at] : 0);
    }
  }
  std::fwrite("RIFF", 1, 4, wav);
  PutU32(wav, static_cast<uint32_t>(36 + sound.size()));
  std::fwrite("WAVEfmt ", 1, 8, wav);
  PutU32(wav, 16);
  PutU16(wav, 1);
  PutU16(wav, static_cast<uint16_t>(decoder->Channels()));
  PutU32(wav, static_cast<uint32_t>(rate));
  PutU32(wav, static_cast<uint32_t>(rate * frameBytes));
  PutU16(wav, static_cast<uint16_t>(frameBytes));
  PutU16(wav, 16);
  std::fwrite("data", 1, 4, wav);
  PutU32(wav, static_cast<uint32_t>(sound.size()));
  const bool written = std::fwrite(sound.data(), 1, sound.size(), wav) == sound.size();
  if (std::fclose(wav) != 0 || !written) {
    *note = "cannot write " + audioPath_;
    return false;
  }
  return true;
}

bool Mp4Sink::Finish(std::string* error) {
  if (!encoder_) {
    *error = "no frame was drawn, so there is no video to write";
    return false;
  }
  const int status = pclose(encoder_);
  encoder_ = nullptr;
  if (status != 0) {
    *error = "ffmpeg could not encode the frames";
    RemoveTemporaries();
    return false;
  }
  std::string note;
  withSound_ = WriteSoundtrack(&note);
  if (!withSound_) std::fprintf(stderr, "vantrel-capture: %s; the video has no sound\n", note.c_str());
  std::string command = "ffmpeg -v error -nostdin -y -i " + Quote(videoPath_);
  if (withSound_) command += " -i " + Quote(audioPath_) + " -map 0:v -map 1:a -c:a aac -b:a 192k";
  command += " -c:v copy" + std::string(kReproducible) + " -movflags +faststart -f mp4 " + Quote(partialPath_);
  const bool muxed = RunQuietly(command, error);
  std::error_code ec;
  if (muxed) fs::rename(partialPath_, path_, ec);
  RemoveTemporaries();
  if (muxed && ec) {
    *error = "cannot move the video into place at " + path_ + ": " + ec.message();
    return false;
  }
  return muxed;
}

std::string Mp4Sink::Describe() const { return path_ + (withSound_ ? " (with sound)" : " (no sound)"); }
