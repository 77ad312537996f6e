// Where captured frames go. Each kind of output is one FrameSink; OpenFrameSink picks it from the
// --out value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <windows.h>

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // One frame, rows top first, 4 bytes a pixel in B, G, R, A order. False with a message when
  // it could not be stored.
  virtual bool Write(int index, const uint8_t* bgra, UINT width, UINT height,
                     std::string* error) = 0;
  // After the last frame. False with a message when the output is incomplete.
  virtual bool Finish(std::string* error) { (void)error; return true; }
  // For the progress line: where the frames went.
  virtual std::string Describe() const = 0;
};

// "none" discards frames; anything else is a directory, created when missing.
std::unique_ptr<FrameSink> OpenFrameSink(const std::string& out, UINT fps, std::string* error);
