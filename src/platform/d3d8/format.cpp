#include "format.h"

namespace platform::d3d8 {

namespace {

FormatInfo Make(UINT bytes, GLenum internal, GLenum format, GLenum type, bool alpha,
                bool renderable, GLint r = GL_RED, GLint g = GL_GREEN, GLint b = GL_BLUE,
                GLint a = GL_ALPHA) {
  FormatInfo info;
  info.bytesPerPixel = bytes;
  info.internalFormat = internal;
  info.uploadFormat = format;
  info.uploadType = type;
  info.swizzle[0] = r;
  info.swizzle[1] = g;
  info.swizzle[2] = b;
  info.swizzle[3] = a;
  info.hasAlpha = alpha;
  info.renderable = renderable;
  return info;
}

}  // namespace

const FormatInfo& DescribeFormat(D3DFORMAT format) {
  // Texel bytes in memory are D3D's (little-endian ARGB words and so on); the upload format
  // and type tell GL how to read them, the swizzle supplies what the format lacks.
  static const FormatInfo a8r8g8b8 =
      Make(4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, true, true);
  static const FormatInfo x8r8g8b8 =
      Make(4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, false, true, GL_RED, GL_GREEN,
           GL_BLUE, GL_ONE);
  static const FormatInfo r8g8b8 =
      Make(3, GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, false, false, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
  static const FormatInfo r5g6b5 =
      Make(2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false, true, GL_RED, GL_GREEN,
           GL_BLUE, GL_ONE);
  static const FormatInfo x1r5g5b5 =
      Make(2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false, true, GL_RED,
           GL_GREEN, GL_BLUE, GL_ONE);
  static const FormatInfo a1r5g5b5 =
      Make(2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, true, true);
  static const FormatInfo a4r4g4b4 =
      Make(2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, true, true);
  static const FormatInfo x4r4g4b4 =
      Make(2, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false, true, GL_RED, GL_GREEN,
           GL_BLUE, GL_ONE);
  static const FormatInfo l8 =
      Make(1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, false, false, GL_RED, GL_RED, GL_RED, GL_ONE);
  static const FormatInfo a8 =
      Make(1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, true, false, GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
  static const FormatInfo a8l8 =
      Make(2, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, true, false, GL_RED, GL_RED, GL_RED, GL_GREEN);
  // Signed formats: U, V (, W, Q) in memory order become r, g (, b, a).
  static const FormatInfo v8u8 =
      Make(2, GL_RG8_SNORM, GL_RG, GL_BYTE, false, false, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
  static const FormatInfo q8w8v8u8 = Make(4, GL_RGBA8_SNORM, GL_RGBA, GL_BYTE, true, false);
  static const FormatInfo d24s8 = [] {
    FormatInfo info = Make(4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8,
                           false, true);
    info.depth = true;
    return info;
  }();
  static const FormatInfo d16 = [] {
    FormatInfo info =
        Make(2, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, false, true);
    info.depth = true;
    return info;
  }();
  static const FormatInfo unsupported;

  switch (format) {
    case D3DFMT_A8R8G8B8: return a8r8g8b8;
    case D3DFMT_X8R8G8B8: return x8r8g8b8;
    case D3DFMT_R8G8B8: return r8g8b8;
    case D3DFMT_R5G6B5: return r5g6b5;
    case D3DFMT_X1R5G5B5: return x1r5g5b5;
    case D3DFMT_A1R5G5B5: return a1r5g5b5;
    case D3DFMT_A4R4G4B4: return a4r4g4b4;
    case D3DFMT_X4R4G4B4: return x4r4g4b4;
    case D3DFMT_L8: return l8;
    case D3DFMT_A8: return a8;
    case D3DFMT_A8L8: return a8l8;
    case D3DFMT_V8U8: return v8u8;
    case D3DFMT_Q8W8V8U8: return q8w8v8u8;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8: return d24s8;
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE: return d16;
    default: return unsupported;
  }
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

}  // namespace platform::d3d8
