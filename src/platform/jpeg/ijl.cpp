// The JPEG stand-in on libjpeg-turbo's TurboJPEG interface.
#include "ijl.h"

#include <turbojpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Larger images are refused before anything is allocated for them.
constexpr uint64_t kMaxPixels = 1u << 26;

struct DecoderState {
  tjhandle handle = nullptr;
  std::vector<BYTE> fileBytes;  // the source read from JPGFile in the JFILE modes
};

DecoderState* StateOf(JPEG_CORE_PROPERTIES* properties) {
  return properties ? static_cast<DecoderState*>(properties->state) : nullptr;
}

bool ReadWholeFile(const char* path, std::vector<BYTE>* out) {
  std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
  if (!file) return false;
  out->clear();
  BYTE chunk[1 << 15];
  size_t got;
  bool ok = true;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    out->insert(out->end(), chunk, chunk + got);
    if (out->size() > (256u << 20)) {
      ok = false;
      break;
    }
  }
  ok = ok && !std::ferror(file);
  std::fclose(file);
  return ok;
}

// The source bytes for the mode asked for.
bool Source(JPEG_CORE_PROPERTIES* properties, DecoderState* state, bool fromFile,
            const BYTE** bytes, unsigned long* size) {
  if (fromFile) {
    if (!ReadWholeFile(properties->JPGFile, &state->fileBytes)) return false;
    *bytes = state->fileBytes.data();
    *size = static_cast<unsigned long>(state->fileBytes.size());
  } else {
    *bytes = properties->JPGBytes;
    *size = properties->JPGSizeBytes;
  }
  return *bytes != nullptr && *size > 0;
}

IJLERR ReadParams(JPEG_CORE_PROPERTIES* properties, DecoderState* state, const BYTE* bytes,
                  unsigned long size, int* colorspace) {
  int width = 0, height = 0, subsampling = 0;
  if (tjDecompressHeader3(state->handle, bytes, size, &width, &height, &subsampling,
                          colorspace) != 0) {
    return IJL_ERR_NOT_JPEG;
  }
  if (width <= 0 || height <= 0) return IJL_ERR_DATA;
  properties->JPGWidth = DWORD(width);
  properties->JPGHeight = DWORD(height);
  switch (*colorspace) {
    case TJCS_GRAY:
      properties->JPGChannels = 1;
      properties->JPGColor = IJL_G;
      break;
    case TJCS_RGB:
      properties->JPGChannels = 3;
      properties->JPGColor = IJL_RGB;
      break;
    case TJCS_YCbCr:
      properties->JPGChannels = 3;
      properties->JPGColor = IJL_YCBCR;
      break;
    default:  // CMYK and YCCK
      properties->JPGChannels = 4;
      properties->JPGColor = IJL_OTHER;
      break;
  }
  return IJL_OK;
}

// Where the decoder puts each channel of a DIB pixel, for the DIB layouts we fill ourselves.
struct Layout {
  int red = -1, green = -1, blue = -1, grey = -1;
};

IJLERR ReadWholeImage(JPEG_CORE_PROPERTIES* properties, DecoderState* state, const BYTE* bytes,
                      unsigned long size) {
  int colorspace = 0;
  IJLERR result = ReadParams(properties, state, bytes, size, &colorspace);
  if (result != IJL_OK) return result;

  const DWORD width = properties->JPGWidth;
  const DWORD height = properties->JPGHeight;
  const int64_t dibHeight = properties->DIBHeight;
  if (!properties->DIBBytes || properties->DIBWidth != width ||
      (dibHeight < 0 ? -dibHeight : dibHeight) != int64_t(height)) {
    return IJL_INVALID_JPEG_PROPERTIES;
  }
  if (uint64_t(width) * height > kMaxPixels) return IJL_MEMORY_ERROR;

  const DWORD channels = properties->DIBChannels;
  const bool cmykSource = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
  int format = -1;
  Layout layout;
  switch (properties->DIBColor) {
    case IJL_BGR:
    case IJL_OTHER:
      // "Other" asks for no conversion: a 4-channel DIB gets the JPEG's own four channels;
      // a 3-channel one still gets viewable colours rather than raw components.
      if (channels == 3) format = TJPF_BGR, layout = {2, 1, 0, -1};
      if (channels == 4) format = (properties->DIBColor == IJL_OTHER) ? TJPF_CMYK : TJPF_BGRX;
      if (channels == 4 && properties->DIBColor == IJL_BGR) layout = {2, 1, 0, -1};
      if (channels == 1) format = TJPF_GRAY, layout.grey = 0;
      break;
    case IJL_RGB:
      if (channels == 3) format = TJPF_RGB, layout = {0, 1, 2, -1};
      if (channels == 4) format = TJPF_RGBX, layout = {0, 1, 2, -1};
      break;
    case IJL_RGBA_FPX:
      if (channels == 4) format = TJPF_RGBA, layout = {0, 1, 2, -1};
      break;
    case IJL_G:
      if (channels == 1) format = TJPF_GRAY, layout.grey = 0;
      break;
    default:
      break;
  }
  if (format < 0) return IJL_UNSUPPORTED_BYTES_PER_PIXEL;

  const int flags = (dibHeight > 0 ? TJFLAG_BOTTOMUP : 0);
  const uint64_t pitch = uint64_t(width) * channels + properties->DIBPadBytes;
  if (pitch > 0x7FFFFFFF) return IJL_MEMORY_ERROR;

  auto failed = [&] {
    // A warning (say, a few bytes missing at the end) still leaves a whole image.
    return tjGetErrorCode(state->handle) != TJERR_WARNING;
  };
  if (!cmykSource || format == TJPF_CMYK) {
    if (tjDecompress2(state->handle, bytes, size, properties->DIBBytes, int(width), int(pitch),
                      int(height), format, flags) != 0 &&
        failed()) {
      return IJL_ERR_DATA;
    }
    return IJL_OK;
  }

  // The library does not turn CMYK into colour; the inks are stored inverted (as Adobe
  // writes them, which is nearly every CMYK JPEG), so each colour is ink times black.
  std::vector<BYTE> cmyk;
  try {
    cmyk.resize(size_t(width) * height * 4);
  } catch (const std::bad_alloc&) {
    return IJL_MEMORY_ERROR;
  }
  if (tjDecompress2(state->handle, bytes, size, cmyk.data(), int(width), int(width) * 4,
                    int(height), TJPF_CMYK, flags) != 0 &&
      failed()) {
    return IJL_ERR_DATA;
  }
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* in = &cmyk[size_t(y) * width * 4];
    BYTE* out = properties->DIBBytes + size_t(y) * pitch;
    for (DWORD x = 0; x < width; ++x, in += 4, out += channels) {
      const int k = in[3];
      const BYTE r = BYTE((in[0] * k + 127) / 255);
      const BYTE g = BYTE((in[1] * k + 127) / 255);
      const BYTE b = BYTE((in[2] * k + 127) / 255);
      if (layout.grey >= 0) out[layout.grey] = BYTE((r * 77 + g * 150 + b * 29 + 128) >> 8);
      if (layout.red >= 0) out[layout.red] = r;
      if (layout.green >= 0) out[layout.green] = g;
      if (layout.blue >= 0) out[layout.blue] = b;
      if (format == TJPF_RGBA) out[3] = 255;
    }
  }
  return IJL_OK;
}

}  // namespace

IJLERR ijlInit(JPEG_CORE_PROPERTIES* properties) {
  if (!properties) return IJL_INVALID_JPEG_PROPERTIES;
  std::memset(properties, 0, sizeof *properties);
  properties->DIBChannels = 3;
  properties->DIBColor = IJL_BGR;
  properties->JPGChannels = 3;
  properties->JPGColor = IJL_YCBCR;
  auto state = std::make_unique<DecoderState>();
  state->handle = tjInitDecompress();
  if (!state->handle) return IJL_MEMORY_ERROR;
  properties->state = state.release();
  return IJL_OK;
}

IJLERR ijlFree(JPEG_CORE_PROPERTIES* properties) {
  DecoderState* state = StateOf(properties);
  if (!state) return IJL_INVALID_JPEG_PROPERTIES;
  tjDestroy(state->handle);
  delete state;
  properties->state = nullptr;
  return IJL_OK;
}

IJLERR ijlRead(JPEG_CORE_PROPERTIES* properties, IJLIOTYPE ioType) {
  DecoderState* state = StateOf(properties);
  if (!state) return IJL_INVALID_JPEG_PROPERTIES;
  const bool fromFile = ioType == IJL_JFILE_READPARAMS || ioType == IJL_JFILE_READWHOLEIMAGE;
  const BYTE* bytes = nullptr;
  unsigned long size = 0;
  switch (ioType) {
    case IJL_JFILE_READPARAMS:
    case IJL_JBUFF_READPARAMS: {
      if (!Source(properties, state, fromFile, &bytes, &size)) return IJL_INVALID_JPEG_PROPERTIES;
      int colorspace = 0;
      return ReadParams(properties, state, bytes, size, &colorspace);
    }
    case IJL_JFILE_READWHOLEIMAGE:
    case IJL_JBUFF_READWHOLEIMAGE:
      if (!Source(properties, state, fromFile, &bytes, &size)) return IJL_INVALID_JPEG_PROPERTIES;
      return ReadWholeImage(properties, state, bytes, size);
  }
  return IJL_INVALID_JPEG_PROPERTIES;
}
