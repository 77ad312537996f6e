// How each D3DFORMAT is laid out in memory and stored in GL.
#pragma once

#include <d3d8.h>
#include <epoxy/gl.h>

namespace platform::d3d8 {

struct FormatInfo {
  UINT bytesPerPixel = 0;  // 0: the format is not supported
  GLenum internalFormat = 0;
  GLenum uploadFormat = 0;
  GLenum uploadType = 0;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  bool hasAlpha = false;  // false: alpha reads as one and is never written
  bool renderable = false;
  bool depth = false;
};

const FormatInfo& DescribeFormat(D3DFORMAT format);

// Bytes of one level of a width x height image in `format` with rows packed tightly.
inline UINT LevelPitch(D3DFORMAT format, UINT width) {
  return DescribeFormat(format).bytesPerPixel * width;
}

// Levels of a full chain down to 1 x 1.
UINT FullMipCount(UINT width, UINT height);

}  // namespace platform::d3d8
