// libFuzzer target: any bytes as an image file for texture creation, and as a JPEG for the
// JPEG stand-in whose DIB then goes the same way.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <ijl.h>

#include "platform/d3dx8/texture_image.h"

namespace {

using namespace platform::d3dx8;

// What texture creation does after decoding, on small images only to keep runs quick.
void MakeLevels(const void* data, size_t size) {
  DecodedImage decoded;
  std::string error;
  if (!DecodeImageFile(data, size, &decoded, &error)) return;
  Image level = decoded.image;
  if (uint64_t(level.width) * level.height > (1u << 16)) return;
  ApplyColorKey(&level, 0xFF000000);
  level = Resize(level, level.width + 3, std::max(1u, level.height / 3), kFilterLinear);
  const uint32_t levels = FullMipCount(level.width, level.height);
  const uint32_t formats[] = {format::kA8R8G8B8, format::kR5G6B5, format::kA8L8, format::kR8G8B8};
  for (uint32_t i = 0; i < levels; ++i) {
    if (i > 0) level = Resize(level, MipExtent(level.width, 1), MipExtent(level.height, 1), kFilterBox);
    const uint32_t textureFormat = formats[i % 4];
    const size_t pitch = size_t(level.width) * BytesPerPixel(textureFormat) + 3;
    std::vector<uint8_t> out(pitch * level.height);
    ConvertPixels(level, textureFormat, out.data(), pitch);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MakeLevels(data, size);
  // The same bytes behind a BITMAPINFOHEADER size, so that bare DIB headers get explored too.
  if (size >= 40) {
    std::vector<uint8_t> dib(data, data + size);
    dib[0] = 40;
    dib[1] = dib[2] = dib[3] = 0;
    MakeLevels(dib.data(), dib.size());
  }

  JPEG_CORE_PROPERTIES properties;
  if (ijlInit(&properties) != IJL_OK) return 0;
  properties.JPGBytes = data;
  properties.JPGSizeBytes = DWORD(size);
  if (ijlRead(&properties, IJL_JBUFF_READPARAMS) == IJL_OK &&
      uint64_t(properties.JPGWidth) * properties.JPGHeight <= (1u << 18)) {
    const DWORD row = (properties.JPGWidth * 3 + 3) & ~3u;
    std::vector<BYTE> dib(40 + size_t(row) * properties.JPGHeight);
    const uint32_t header[] = {40, properties.JPGWidth, properties.JPGHeight, 1 | 24 << 16};
    for (int f = 0; f < 4; ++f) {
      for (int i = 0; i < 4; ++i) dib[4 * f + i] = BYTE(header[f] >> (8 * i));
    }
    properties.DIBBytes = dib.data() + 40;
    properties.DIBWidth = properties.JPGWidth;
    properties.DIBHeight = INT(properties.JPGHeight);
    properties.DIBChannels = 3;
    properties.DIBPadBytes = row - properties.JPGWidth * 3;
    properties.DIBColor = properties.JPGChannels == 3 || properties.JPGChannels == 1 ? IJL_BGR
                                                                                      : IJL_OTHER;
    if (ijlRead(&properties, IJL_JBUFF_READWHOLEIMAGE) == IJL_OK) MakeLevels(dib.data(), dib.size());
  }
  ijlFree(&properties);
  return 0;
}
