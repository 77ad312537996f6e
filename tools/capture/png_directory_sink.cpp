#include "png_directory_sink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

// Static, so another part of the program carrying the same library cannot clash with it.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

std::string PngDirectorySink::FileName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%05d.png", index);
  return name;
}

bool PngDirectorySink::Write(int index, const uint8_t* bgra, UINT width, UINT height,
                             std::string* error) {
  const size_t pixels = static_cast<size_t>(width) * height;
  rgb_.resize(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    rgb_[i * 3 + 0] = bgra[i * 4 + 2];
    rgb_[i * 3 + 1] = bgra[i * 4 + 1];
    rgb_[i * 3 + 2] = bgra[i * 4 + 0];
  }
  // Fast rather than small: a run writes hundreds of frames.
  stbi_write_png_compression_level = 2;
  const std::string path = directory_ + "/" + FileName(index);
  errno = 0;
  if (!stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 3,
                      rgb_.data(), static_cast<int>(width) * 3)) {
    *error = "cannot write " + path + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
  }
  return true;
}
