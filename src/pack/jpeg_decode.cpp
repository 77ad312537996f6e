#include "pack/jpeg_decode.h"

#include <cstdint>
#include <cstring>
#include <new>

#include <ijl.h>

#include "pack/pack_file.h"

namespace {

void Put16(unsigned char* at, uint16_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}

void Put32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

}  // namespace

bool DibSize(DWORD width, DWORD height, DWORD* rowLength, DWORD* pixelBytes) {
  const uint64_t row = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
  const uint64_t pixels = row * height;
  if (kDibHeaderSize + pixels > kMaxDibBlockSize) return false;
  *rowLength = DWORD(row);
  *pixelBytes = DWORD(pixels);
  return true;
}

int DecodeJpeg(const char* name, unsigned char** dib, DWORD* dibSize) {
  JPEG_CORE_PROPERTIES properties;
  if (ijlInit(&properties) != IJL_OK) return 0;

  unsigned char* jpeg = nullptr;
  unsigned char* block = nullptr;
  DWORD blockSize = 0;
  bool ok = false;
  do {
    if (!name) break;
    jpeg = ExtractFromPack(name);
    properties.JPGFile = nullptr;
    properties.JPGBytes = jpeg;
    properties.JPGSizeBytes = packFile.lastSize;
    if (ijlRead(&properties, IJL_JBUFF_READPARAMS) != IJL_OK) break;

    const DWORD width = properties.JPGWidth;
    const DWORD height = properties.JPGHeight;
    DWORD rowLength = 0, pixelBytes = 0;
    if (!DibSize(width, height, &rowLength, &pixelBytes)) break;
    blockSize = kDibHeaderSize + pixelBytes;
    // Zeroed, so the pad bytes at the row ends are defined.
    block = new (std::nothrow) unsigned char[blockSize]();
    if (!block) break;
    Put32(block + 0, kDibHeaderSize);
    Put32(block + 4, width);
    Put32(block + 8, height);
    Put16(block + 12, 1);
    Put16(block + 14, 24);

    properties.DIBBytes = block + kDibHeaderSize;
    properties.DIBWidth = width;
    properties.DIBHeight = INT(height);
    properties.DIBChannels = 3;
    properties.DIBColor = IJL_BGR;
    properties.DIBPadBytes = rowLength - width * 3;
    switch (properties.JPGChannels) {
      case 1:
        properties.JPGColor = IJL_G;
        break;
      case 3:
        properties.JPGColor = IJL_YCBCR;
        break;
      default:
        properties.JPGColor = IJL_OTHER;
        properties.DIBColor = IJL_OTHER;
        break;
    }
    if (ijlRead(&properties, IJL_JBUFF_READWHOLEIMAGE) != IJL_OK) break;
    ok = true;
  } while (false);

  if (!ok) {
    delete[] block;
    block = nullptr;
  }
  ijlFree(&properties);
  delete[] jpeg;
  if (!ok) return 0;
  *dib = block;
  *dibSize = blockSize;
  return 1;
}
