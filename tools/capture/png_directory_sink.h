// Frames as numbered PNG files in a directory: frame-00000.png, frame-00001.png, ...
#pragma once

#include <vector>

#include "frame_sink.h"

class PngDirectorySink : public FrameSink {
 public:
  explicit PngDirectorySink(std::string directory) : directory_(std::move(directory)) {}
  bool Write(int index, const uint8_t* bgra, UINT width, UINT height, std::string* error) override;
  std::string Describe() const override { return "frames in " + directory_; }

  static std::string FileName(int index);

 private:
  std::string directory_;
  std::vector<uint8_t> rgb_;
};
