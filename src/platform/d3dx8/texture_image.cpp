#include "texture_image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <ijl.h>

// Our own copy of the decoder, with static linkage so that it never meets another one.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_PNM
#define STBI_MAX_DIMENSIONS (1 << 14)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace platform::d3dx8 {

namespace {

static_assert(kMaxImageSide == STBI_MAX_DIMENSIONS);

// The whole pixel count is bounded too: scaling keeps an intermediate copy per level.
constexpr uint64_t kMaxImagePixels = 1u << 24;

uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

bool Starts(const uint8_t* bytes, size_t size, const char* magic, size_t length) {
  return size >= length && std::memcmp(bytes, magic, length) == 0;
}

bool IsInfoHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// A bare DIB becomes a BMP file by putting the 14-byte file header in front of it; the
// header's pixel offset skips the info header, the bit masks and the colour table.
bool WrapDib(const uint8_t* bytes, size_t size, std::vector<uint8_t>* file, std::string* error) {
  const uint32_t headerSize = Get32(bytes);
  if (size < headerSize) {
    *error = "the DIB ends inside its header";
    return false;
  }
  const uint32_t bitCount = Get16(bytes + 14);
  const uint32_t compression = Get32(bytes + 16);
  const uint32_t colorsUsed = Get32(bytes + 32);
  uint64_t offset = headerSize;
  if (headerSize == 40 && compression == 3) offset += 12;  // BI_BITFIELDS masks
  if (headerSize == 40 && compression == 6) offset += 16;  // with an alpha mask
  // Up to 8 bits a pixel the table holds the colours; deeper DIBs may still carry one, which
  // the decoder will not skip: it is left out of the copy.
  const bool deep = bitCount > 8;
  const uint64_t colors = colorsUsed ? colorsUsed : (deep ? 0 : (uint64_t(1) << bitCount));
  if (colors > (deep ? 65536u : 256u)) {
    *error = "the DIB's colour table is too large";
    return false;
  }
  const uint64_t table = colors * 4;
  if (offset + table > size) {
    *error = "the DIB ends inside its colour table";
    return false;
  }
  const uint64_t kept = deep ? size - table : size;
  const uint64_t pixelOffset = 14 + offset + (deep ? 0 : table);
  file->resize(size_t(14 + kept));
  uint8_t* out = file->data();
  out[0] = 'B';
  out[1] = 'M';
  const uint32_t fields[] = {uint32_t(std::min<uint64_t>(14 + kept, 0xFFFFFFFFu)), 0,
                             uint32_t(pixelOffset)};
  for (int f = 0; f < 3; ++f) {
    for (int i = 0; i < 4; ++i) out[2 + 4 * f + i] = uint8_t(fields[f] >> (8 * i));
  }
  if (deep) {
    std::memcpy(out + 14, bytes, size_t(offset));
    std::memcpy(out + 14 + offset, bytes + offset + table, size_t(size - offset - table));
    std::memset(out + 14 + 32, 0, 4);  // biClrUsed: the table is gone
  } else {
    std::memcpy(out + 14, bytes, size);
  }
  return true;
}

// stb_image reads no run-length BMPs: expand RLE8 / RLE4 pixels into a plain 8-bit BMP with
// the same colour table. Runs that leave the image are dropped; pixels no run reaches keep
// colour 0. Returns false (with a reason) for a malformed header.
bool ExpandRunLengthBmp(const uint8_t* bytes, size_t size, std::vector<uint8_t>* file,
                        std::string* error) {
  if (size < 54) {
    *error = "the BMP ends inside its header";
    return false;
  }
  const uint32_t pixelOffset = Get32(bytes + 10);
  const uint32_t headerSize = Get32(bytes + 14);
  const int32_t width = int32_t(Get32(bytes + 18));
  const int32_t height = int32_t(Get32(bytes + 22));
  const uint32_t compression = Get32(bytes + 30);
  const bool four = compression == 2;
  const uint32_t colorsUsed = Get32(bytes + 46);
  const uint64_t colors = colorsUsed ? colorsUsed : (four ? 16 : 256);
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxImagePixels ||
      uint32_t(width) > kMaxImageSide || uint32_t(height) > kMaxImageSide) {
    *error = "the run-length BMP has an unusable size";
    return false;
  }
  if (colors > 256 || headerSize < 40 || 14 + uint64_t(headerSize) + colors * 4 > size ||
      pixelOffset >= size) {
    *error = "the run-length BMP ends inside its header";
    return false;
  }
  const size_t stride = (size_t(width) + 3) & ~size_t(3);
  const size_t paletteBytes = size_t(colors) * 4;
  const size_t pixelStart = 14 + 40 + paletteBytes;
  file->assign(pixelStart + stride * size_t(height), 0);
  uint8_t* out = file->data();
  std::memcpy(out, bytes, 14 + 40);
  std::memcpy(out + 54, bytes + 14 + headerSize, paletteBytes);
  auto put32 = [&](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(value >> (8 * i));
  };
  put32(2, uint32_t(file->size()));
  put32(10, uint32_t(pixelStart));
  put32(14, 40);
  out[28] = 8;
  out[29] = 0;
  put32(30, 0);                      // no compression any more
  put32(34, 0);
  put32(46, uint32_t(colors));
  uint8_t* pixels = out + pixelStart;

  uint32_t x = 0, y = 0;  // y counts rows from the bottom, the order the runs come in
  auto put = [&](uint8_t index) {
    if (x < uint32_t(width) && y < uint32_t(height)) pixels[y * stride + x] = index;
    ++x;
  };
  size_t at = pixelOffset;
  while (at + 1 < size && y < uint32_t(height)) {
    const uint32_t count = bytes[at], value = bytes[at + 1];
    at += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(four ? uint8_t(i % 2 ? value & 15 : value >> 4) : uint8_t(value));
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (at + 1 >= size) break;
      x += bytes[at];
      y += bytes[at + 1];
      at += 2;
    } else {
      const size_t dataBytes = four ? (value + 1) / 2 : value;
      if (dataBytes > size - at) break;
      for (uint32_t i = 0; i < value; ++i) {
        put(four ? uint8_t(i % 2 ? bytes[at + i / 2] & 15 : bytes[at + i / 2] >> 4) : bytes[at + i]);
      }
      at += (dataBytes + 1) & ~size_t(1);  // absolute runs fill whole 16-bit words
    }
  }
  return true;
}

// 16-bit TGAs keep their alpha in the top bit when the header gives them attribute bits;
// stb_image drops it, so these are read here (plain and run-length, either origin).
bool IsTga16(const uint8_t* bytes, size_t size) {
  return size >= 18 && (bytes[2] == 2 || bytes[2] == 10) && bytes[1] == 0 &&
         (bytes[16] == 15 || bytes[16] == 16);
}

bool DecodeTga16(const uint8_t* bytes, size_t size, DecodedImage* out, std::string* error) {
  const uint32_t width = Get16(bytes + 12), height = Get16(bytes + 14);
  const uint8_t descriptor = bytes[17];
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
      uint64_t(width) * height > kMaxImagePixels) {
    *error = "the TGA has an unusable size";
    return false;
  }
  const bool alpha = bytes[16] == 16 && (descriptor & 0x0F) != 0;
  const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
  const bool runLength = bytes[2] == 10;
  size_t at = 18 + size_t(bytes[0]);
  out->image.width = width;
  out->image.height = height;
  out->image.rgba.assign(size_t(width) * height * 4, 0);
  auto put = [&](uint64_t index, uint32_t value) {
    const uint32_t fileRow = uint32_t(index / width), fileColumn = uint32_t(index % width);
    const uint32_t y = topDown ? fileRow : height - 1 - fileRow;
    const uint32_t x = rightToLeft ? width - 1 - fileColumn : fileColumn;
    uint8_t* p = &out->image.rgba[(size_t(y) * width + x) * 4];
    p[0] = uint8_t(((value >> 10) & 31) * 255 / 31);
    p[1] = uint8_t(((value >> 5) & 31) * 255 / 31);
    p[2] = uint8_t((value & 31) * 255 / 31);
    p[3] = alpha && !(value & 0x8000) ? 0 : 255;
  };
  // Pixels the file does not hold stay transparent black.
  const uint64_t total = uint64_t(width) * height;
  bool ended = false;
  for (uint64_t index = 0; index < total && !ended;) {
    uint32_t count = 1;
    bool repeat = false;
    if (runLength) {
      if (at >= size) break;
      const uint8_t packet = bytes[at++];
      count = (packet & 0x7F) + 1u;
      repeat = packet & 0x80;
    }
    for (uint32_t i = 0; i < count && index < total; ++i) {
      const size_t pixel = repeat ? at : at + 2 * size_t(i);
      if (pixel >= size || size - pixel < 2) {
        ended = true;
        break;
      }
      put(index++, Get16(bytes + pixel));
    }
    at += repeat ? 2 : 2 * size_t(count);
  }
  out->kind = ImageFileKind::Tga;
  out->hasAlpha = alpha;
  out->sourceFormat = alpha ? format::kA1R5G5B5 : format::kX1R5G5B5;
  return true;
}

struct Tap {
  uint32_t index;
  double weight;
};

// For each destination pixel along one axis, the source pixels it takes and their weights.
std::vector<std::vector<Tap>> AxisTaps(uint32_t source, uint32_t destination, uint32_t filter) {
  std::vector<std::vector<Tap>> taps(destination);
  const double scale = double(source) / destination;
  const bool nearest = filter == kFilterNone || filter == kFilterPoint;
  for (uint32_t d = 0; d < destination; ++d) {
    std::vector<Tap>& list = taps[d];
    if (source == destination) {
      list.push_back({d, 1.0});
    } else if (nearest) {
      list.push_back({std::min(source - 1, uint32_t((d + 0.5) * scale)), 1.0});
    } else if (destination < source) {
      // Each source pixel counts with the part of it the destination pixel covers.
      const double begin = d * scale, end = (d + 1) * scale;
      const uint32_t last = std::min(source, uint32_t(std::ceil(end)));
      for (uint32_t i = uint32_t(begin); i < last; ++i) {
        const double overlap = std::min(end, i + 1.0) - std::max(begin, double(i));
        if (overlap > 0) list.push_back({i, overlap / scale});
      }
    } else {
      const double centre = (d + 0.5) * scale - 0.5;
      if (centre <= 0) {
        list.push_back({0, 1.0});
      } else if (centre >= source - 1) {
        list.push_back({source - 1, 1.0});
      } else {
        const uint32_t i = uint32_t(centre);
        const double f = centre - i;
        list.push_back({i, 1.0 - f});
        list.push_back({i + 1, f});
      }
    }
  }
  return taps;
}

uint8_t Round8(double value) {
  return uint8_t(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

uint32_t Scale(uint32_t value, uint32_t bits) {
  return (value * ((1u << bits) - 1) + 127) / 255;
}

// JPEGs go through the JPEG stand-in (libjpeg-turbo): it takes progressive, grey and ink
// (CMYK) files alike, and has been hardened against damaged input for far longer.
bool DecodeJpegFile(const uint8_t* bytes, size_t size, DecodedImage* out, std::string* error) {
  JPEG_CORE_PROPERTIES properties;
  if (ijlInit(&properties) != IJL_OK) {
    *error = "the JPEG decoder cannot start";
    return false;
  }
  properties.JPGBytes = bytes;
  properties.JPGSizeBytes = DWORD(size);
  bool ok = false;
  if (ijlRead(&properties, IJL_JBUFF_READPARAMS) != IJL_OK) {
    *error = "unreadable JPEG header";
  } else if (properties.JPGWidth > kMaxImageSide || properties.JPGHeight > kMaxImageSide ||
             uint64_t(properties.JPGWidth) * properties.JPGHeight > kMaxImagePixels) {
    *error = "the image is " + std::to_string(properties.JPGWidth) + " x " +
             std::to_string(properties.JPGHeight) + " pixels, larger than can be loaded";
  } else {
    out->image.width = properties.JPGWidth;
    out->image.height = properties.JPGHeight;
    out->image.rgba.assign(size_t(out->image.width) * out->image.height * 4, 0);
    properties.DIBBytes = out->image.rgba.data();
    properties.DIBWidth = properties.JPGWidth;
    properties.DIBHeight = -INT(properties.JPGHeight);  // top row first
    properties.DIBChannels = 4;
    properties.DIBColor = IJL_RGBA_FPX;
    properties.DIBPadBytes = 0;
    ok = ijlRead(&properties, IJL_JBUFF_READWHOLEIMAGE) == IJL_OK;
    if (!ok) *error = "unreadable JPEG data";
    out->sourceFormat = properties.JPGChannels == 1 ? format::kL8 : format::kR8G8B8;
  }
  ijlFree(&properties);
  if (!ok) return false;
  out->kind = ImageFileKind::Jpg;
  out->hasAlpha = false;
  return true;
}

uint8_t Luminance(const uint8_t* p) {
  return Round8(0.2125 * p[0] + 0.7154 * p[1] + 0.0721 * p[2]);
}

}  // namespace

bool DecodeImageFile(const void* data, size_t size, DecodedImage* out, std::string* error) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  if (!bytes || size == 0) {
    *error = "no image data";
    return false;
  }
  if (size > 0x7FFFFFFF) {
    *error = "the image file is too large";
    return false;
  }
  std::vector<uint8_t> wrapped;
  ImageFileKind kind;
  if (Starts(bytes, size, "BM", 2)) {
    kind = ImageFileKind::Bmp;
  } else if (size >= 40 && IsInfoHeaderSize(Get32(bytes))) {
    kind = ImageFileKind::Dib;
    if (!WrapDib(bytes, size, &wrapped, error)) return false;
    bytes = wrapped.data();
    size = wrapped.size();
  } else if (Starts(bytes, size, "\xFF\xD8\xFF", 3)) {
    return DecodeJpegFile(bytes, size, out, error);
  } else if (Starts(bytes, size, "\x89PNG\r\n\x1A\n", 8)) {
    kind = ImageFileKind::Png;
  } else if (Starts(bytes, size, "DDS ", 4)) {
    *error = "DDS files are not supported";
    return false;
  } else if (Starts(bytes, size, "P5", 2) || Starts(bytes, size, "P6", 2)) {
    kind = ImageFileKind::Ppm;
  } else if (IsTga16(bytes, size)) {
    return DecodeTga16(bytes, size, out, error);
  } else {
    // TGA has no signature: take the file as one only when its header makes sense.
    kind = ImageFileKind::Tga;
  }

  if ((kind == ImageFileKind::Bmp || kind == ImageFileKind::Dib) && size >= 34 &&
      (Get32(bytes + 30) == 1 || Get32(bytes + 30) == 2)) {
    std::vector<uint8_t> expanded;
    if (!ExpandRunLengthBmp(bytes, size, &expanded, error)) return false;
    wrapped.swap(expanded);
    bytes = wrapped.data();
    size = wrapped.size();
  }

  int width = 0, height = 0, channels = 0;
  if (!stbi_info_from_memory(bytes, int(size), &width, &height, &channels)) {
    *error = kind == ImageFileKind::Tga ? "not an image file of a known kind"
                                        : std::string("unreadable image: ") + stbi_failure_reason();
    return false;
  }
  height = height < 0 ? -height : height;  // a top-down BMP reports its height negative here
  if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > kMaxImagePixels) {
    *error = "the image is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels, larger than can be loaded";
    return false;
  }
  stbi_uc* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 4);
  if (!pixels) {
    *error = std::string("unreadable image: ") + stbi_failure_reason();
    return false;
  }
  out->image.width = uint32_t(width);
  out->image.height = uint32_t(height);
  out->image.rgba.assign(pixels, pixels + size_t(width) * size_t(height) * 4);
  stbi_image_free(pixels);
  out->kind = kind;
  out->hasAlpha = channels == 2 || channels == 4;
  static const uint32_t kSourceFormats[] = {format::kL8, format::kA8L8, format::kR8G8B8,
                                            format::kA8R8G8B8};
  out->sourceFormat = kSourceFormats[std::clamp(channels, 1, 4) - 1];
  return true;
}

Image Resize(const Image& source, uint32_t width, uint32_t height, uint32_t filter) {
  Image result;
  result.width = width;
  result.height = height;
  if (source.width == width && source.height == height) {
    result.rgba = source.rgba;
    return result;
  }
  const auto columns = AxisTaps(source.width, width, filter);
  const auto rows = AxisTaps(source.height, height, filter);
  // Across first, keeping full precision, then down.
  std::vector<float> across(size_t(width) * source.height * 4);
  for (uint32_t y = 0; y < source.height; ++y) {
    const uint8_t* in = &source.rgba[size_t(y) * source.width * 4];
    float* out = &across[size_t(y) * width * 4];
    for (uint32_t x = 0; x < width; ++x) {
      double sum[4] = {};
      for (const Tap& tap : columns[x]) {
        for (int c = 0; c < 4; ++c) sum[c] += tap.weight * in[tap.index * 4 + c];
      }
      for (int c = 0; c < 4; ++c) out[x * 4 + c] = float(sum[c]);
    }
  }
  result.rgba.resize(size_t(width) * height * 4);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* out = &result.rgba[size_t(y) * width * 4];
    for (uint32_t x = 0; x < width; ++x) {
      double sum[4] = {};
      for (const Tap& tap : rows[y]) {
        const float* in = &across[(size_t(tap.index) * width + x) * 4];
        for (int c = 0; c < 4; ++c) sum[c] += tap.weight * in[c];
      }
      for (int c = 0; c < 4; ++c) out[x * 4 + c] = Round8(sum[c]);
    }
  }
  return result;
}

uint32_t MipExtent(uint32_t extent, uint32_t level) {
  return level >= 32 ? 1 : std::max(1u, extent >> level);
}

uint32_t FullMipCount(uint32_t width, uint32_t height) {
  uint32_t count = 1;
  for (uint32_t largest = std::max(width, height); largest > 1; largest >>= 1) ++count;
  return count;
}

void ApplyColorKey(Image* image, uint32_t key) {
  for (size_t i = 0; i + 3 < image->rgba.size(); i += 4) {
    uint8_t* p = &image->rgba[i];
    const uint32_t argb = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    if (argb == key) std::memset(p, 0, 4);
  }
}

uint32_t BytesPerPixel(uint32_t textureFormat) {
  switch (textureFormat) {
    case format::kA8R8G8B8:
    case format::kX8R8G8B8:
      return 4;
    case format::kR8G8B8:
      return 3;
    case format::kR5G6B5:
    case format::kX1R5G5B5:
    case format::kA1R5G5B5:
    case format::kA4R4G4B4:
    case format::kX4R4G4B4:
    case format::kA8R3G3B2:
    case format::kA8L8:
      return 2;
    case format::kR3G3B2:
    case format::kA8:
    case format::kL8:
    case format::kA4L4:
      return 1;
    default:
      return 0;
  }
}

bool ConvertPixels(const Image& image, uint32_t textureFormat, void* destination, size_t pitch) {
  const uint32_t bytesPerPixel = BytesPerPixel(textureFormat);
  if (bytesPerPixel == 0 || !destination) return false;
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = &image.rgba[size_t(y) * image.width * 4];
    uint8_t* out = static_cast<uint8_t*>(destination) + y * pitch;
    for (uint32_t x = 0; x < image.width; ++x, in += 4, out += bytesPerPixel) {
      const uint32_t r = in[0], g = in[1], b = in[2], a = in[3];
      uint32_t value = 0;
      switch (textureFormat) {
        case format::kA8R8G8B8:
          value = a << 24 | r << 16 | g << 8 | b;
          break;
        case format::kX8R8G8B8:
          value = 0xFF000000u | r << 16 | g << 8 | b;
          break;
        case format::kR8G8B8:
          value = r << 16 | g << 8 | b;
          break;
        case format::kR5G6B5:
          value = Scale(r, 5) << 11 | Scale(g, 6) << 5 | Scale(b, 5);
          break;
        case format::kX1R5G5B5:
          value = 0x8000u | Scale(r, 5) << 10 | Scale(g, 5) << 5 | Scale(b, 5);
          break;
        case format::kA1R5G5B5:
          value = (a >= 128 ? 0x8000u : 0) | Scale(r, 5) << 10 | Scale(g, 5) << 5 | Scale(b, 5);
          break;
        case format::kA4R4G4B4:
          value = Scale(a, 4) << 12 | Scale(r, 4) << 8 | Scale(g, 4) << 4 | Scale(b, 4);
          break;
        case format::kX4R4G4B4:
          value = 0xF000u | Scale(r, 4) << 8 | Scale(g, 4) << 4 | Scale(b, 4);
          break;
        case format::kR3G3B2:
          value = Scale(r, 3) << 5 | Scale(g, 3) << 2 | Scale(b, 2);
          break;
        case format::kA8R3G3B2:
          value = a << 8 | Scale(r, 3) << 5 | Scale(g, 3) << 2 | Scale(b, 2);
          break;
        case format::kA8:
          value = a;
          break;
        case format::kL8:
          value = Luminance(in);
          break;
        case format::kA8L8:
          value = a << 8 | Luminance(in);
          break;
        case format::kA4L4:
          value = Scale(a, 4) << 4 | Scale(Luminance(in), 4);
          break;
      }
      for (uint32_t i = 0; i < bytesPerPixel; ++i) out[i] = uint8_t(value >> (8 * i));
    }
  }
  return true;
}

}  // namespace platform::d3dx8
