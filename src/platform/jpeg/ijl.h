// JPEG stand-in: the decoding side of the JPEG library the demo's image loader calls, on
// libjpeg-turbo. A properties block describes the JPEG source and the DIB it is decoded into.
#pragma once

#include <windows.h>

enum IJLERR {
  IJL_OK = 0,
  IJL_EXCEPTION_DETECTED = -1,
  IJL_UNSUPPORTED_BYTES_PER_PIXEL = -4,
  IJL_MEMORY_ERROR = -5,
  IJL_INVALID_JPEG_PROPERTIES = -8,
  IJL_ERR_NOT_JPEG = -13,
  IJL_ERR_DATA = -21,
};

enum IJLIOTYPE {
  IJL_JFILE_READPARAMS = 0,
  IJL_JBUFF_READPARAMS = 1,
  IJL_JFILE_READWHOLEIMAGE = 2,
  IJL_JBUFF_READWHOLEIMAGE = 3,
};

enum IJL_COLOR {
  IJL_RGB = 1,
  IJL_BGR = 2,
  IJL_YCBCR = 3,
  IJL_G = 4,
  IJL_RGBA_FPX = 5,
  IJL_YCBCRA_FPX = 6,
  IJL_OTHER = 255,  // no colour conversion asked for
};

struct JPEG_CORE_PROPERTIES {
  // The DIB the image is decoded into. A positive height stores the rows bottom-up, as a
  // DIB with a positive height does; a negative one top-down. Each row is DIBWidth pixels
  // of DIBChannels bytes followed by DIBPadBytes bytes that are left untouched.
  BYTE* DIBBytes;
  DWORD DIBWidth;
  INT DIBHeight;
  DWORD DIBPadBytes;
  DWORD DIBChannels;
  IJL_COLOR DIBColor;

  // The JPEG source: bytes in memory (JBUFF modes) or a file (JFILE modes). Reading the
  // parameters fills in its size, channel count and colour space.
  const char* JPGFile;
  const BYTE* JPGBytes;
  DWORD JPGSizeBytes;
  DWORD JPGWidth;
  DWORD JPGHeight;
  DWORD JPGChannels;
  IJL_COLOR JPGColor;

  void* state;  // the library's own; set by ijlInit, released by ijlFree
};

// Prepares the block: no source, no DIB, a 3-channel blue-green-red output.
IJLERR ijlInit(JPEG_CORE_PROPERTIES* properties);
IJLERR ijlFree(JPEG_CORE_PROPERTIES* properties);
// READPARAMS fills the JPG size, channels and colour; READWHOLEIMAGE decodes into the DIB,
// which must have the JPEG's size. Grey and YCbCr JPEGs are converted to the DIB's colours.
IJLERR ijlRead(JPEG_CORE_PROPERTIES* properties, IJLIOTYPE ioType);
