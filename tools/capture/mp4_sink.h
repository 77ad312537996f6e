// Video output for vantrel-capture: frames piped into ffmpeg, then the soundtrack muxed in,
// cut to follow the music position each frame read, so picture and sound stay in step even
// across restarts of the soundtrack.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "frame_sink.h"

// True when `out` asks for a video file.
bool IsVideoOutput(const std::string& out);

// Null with a message when ffmpeg is not on PATH.
std::unique_ptr<FrameSink> OpenMp4Sink(const std::string& path, UINT fps, std::string* error);

class Mp4Sink : public FrameSink {
 public:
  Mp4Sink(std::string path, UINT fps);
  ~Mp4Sink() override;
  bool Write(int index, const uint8_t* bgra, UINT width, UINT height, std::string* error) override;
  bool Finish(std::string* error) override;
  std::string Describe() const override;

 private:
  bool StartEncoder(UINT width, UINT height, std::string* error);
  // The soundtrack as the frames heard it, as a WAV file; false when there is none.
  bool WriteSoundtrack(std::string* note);
  void RemoveTemporaries();

  std::string path_;
  std::string videoPath_;
  std::string audioPath_;
  std::string partialPath_;
  UINT fps_;
  UINT width_ = 0, height_ = 0;
  FILE* encoder_ = nullptr;
  std::vector<DWORD> positions_;  // the music position each frame was drawn for
  bool withSound_ = false;
};
