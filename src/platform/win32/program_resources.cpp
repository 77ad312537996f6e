#include "program_resources.h"

#include <cstring>
#include <map>

namespace platform::win32 {
namespace {

using ResourceKey = std::pair<uintptr_t, WORD>;

std::map<ResourceKey, std::vector<uint8_t>>& Registry() {
  static std::map<ResourceKey, std::vector<uint8_t>> registry;
  return registry;
}

void PutWord(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutDword(std::vector<uint8_t>& b, uint32_t v) {
  PutWord(b, v & 0xFFFF);
  PutWord(b, v >> 16);
}
void PutText(std::vector<uint8_t>& b, const char* text) {
  // The resource compiler stores UTF-16; this engine's texts are all ASCII or Latin-1.
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p)
    PutWord(b, *p);
  PutWord(b, 0);
}
void AlignDword(std::vector<uint8_t>& b) {
  while (b.size() % 4) b.push_back(0);
}

uint32_t ReadWord(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t ReadDword(const uint8_t* p) { return ReadWord(p) | (ReadWord(p + 2) << 16); }

// A BITMAPINFOHEADER followed by `height` rows of 24- or 32-bit pixels.
bool DecodeDib(const uint8_t* data, size_t size, bool icon, DecodedImage* image) {
  if (!data || size < 40) return false;
  const uint32_t headerSize = ReadDword(data);
  const int32_t width = static_cast<int32_t>(ReadDword(data + 4));
  int32_t height = static_cast<int32_t>(ReadDword(data + 8));
  const uint32_t planes = ReadWord(data + 12);
  const uint32_t bits = ReadWord(data + 14);
  const uint32_t compression = ReadDword(data + 16);
  if (headerSize < 40 || headerSize > size || planes != 1 || compression != 0) return false;
  if (bits != 24 && bits != 32) return false;
  if (icon) {
    if (bits != 32 || height <= 0 || height % 2) return false;
    height /= 2;  // the colour image, then the mask
  }
  const bool topDown = height < 0;
  const int64_t rows = topDown ? -static_cast<int64_t>(height) : height;
  if (width <= 0 || width > 4096 || rows <= 0 || rows > 4096) return false;
  const size_t stride = ((static_cast<size_t>(width) * bits / 8) + 3) & ~size_t(3);
  if (static_cast<uint64_t>(stride) * static_cast<uint64_t>(rows) > size - headerSize) return false;
  image->width = width;
  image->height = static_cast<int>(rows);
  image->rgba.assign(static_cast<size_t>(width) * rows * 4, 255);
  const uint8_t* pixels = data + headerSize;
  for (int64_t y = 0; y < rows; ++y) {
    const uint8_t* src = pixels + stride * static_cast<size_t>(topDown ? y : rows - 1 - y);
    uint8_t* dst = &image->rgba[static_cast<size_t>(y) * width * 4];
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* s = src + static_cast<size_t>(x) * bits / 8;
      dst[x * 4 + 0] = s[2];
      dst[x * 4 + 1] = s[1];
      dst[x * 4 + 2] = s[0];
      dst[x * 4 + 3] = bits == 32 ? s[3] : 255;
    }
  }
  return true;
}

void PutInfoHeader(std::vector<uint8_t>& b, int width, int height, int bits, size_t imageSize) {
  PutDword(b, 40);
  PutDword(b, static_cast<uint32_t>(width));
  PutDword(b, static_cast<uint32_t>(height));
  PutWord(b, 1);
  PutWord(b, static_cast<uint32_t>(bits));
  PutDword(b, 0);  // BI_RGB
  PutDword(b, static_cast<uint32_t>(imageSize));
  PutDword(b, 0);
  PutDword(b, 0);
  PutDword(b, 0);
  PutDword(b, 0);
}

ResourceKey Key(LPCSTR type, WORD id) { return {reinterpret_cast<uintptr_t>(type), id}; }

}  // namespace

void AddProgramResource(LPCSTR type, WORD id, std::vector<uint8_t> bytes) {
  Registry()[Key(type, id)] = std::move(bytes);
}

const std::vector<uint8_t>* FindProgramResource(LPCSTR type, WORD id) {
  auto it = Registry().find(Key(type, id));
  return it == Registry().end() ? nullptr : &it->second;
}

std::vector<WORD> ProgramResourceIds(LPCSTR type) {
  std::vector<WORD> ids;
  for (auto& [key, bytes] : Registry())
    if (key.first == reinterpret_cast<uintptr_t>(type)) ids.push_back(key.second);
  return ids;
}

DialogTemplateWriter::DialogTemplateWriter(DWORD style, short x, short y, short cx, short cy,
                                           const char* caption, WORD pointSize,
                                           const char* typeface) {
  PutDword(bytes_, style);
  PutDword(bytes_, 0);
  countOffset_ = bytes_.size();
  PutWord(bytes_, 0);
  PutWord(bytes_, static_cast<uint16_t>(x));
  PutWord(bytes_, static_cast<uint16_t>(y));
  PutWord(bytes_, static_cast<uint16_t>(cx));
  PutWord(bytes_, static_cast<uint16_t>(cy));
  PutWord(bytes_, 0);  // no menu
  PutWord(bytes_, 0);  // the dialog class
  PutText(bytes_, caption);
  if (style & DS_SETFONT) {
    PutWord(bytes_, pointSize);
    PutText(bytes_, typeface);
  }
}

void DialogTemplateWriter::Header(DWORD style, short x, short y, short cx, short cy) {
  AlignDword(bytes_);
  PutDword(bytes_, style);
  PutDword(bytes_, 0);
  PutWord(bytes_, static_cast<uint16_t>(x));
  PutWord(bytes_, static_cast<uint16_t>(y));
  PutWord(bytes_, static_cast<uint16_t>(cx));
  PutWord(bytes_, static_cast<uint16_t>(cy));
  ++count_;
}

void DialogTemplateWriter::Control(WORD id, WORD classAtom, const char* text, DWORD style, short x,
                                   short y, short cx, short cy) {
  Header(style, x, y, cx, cy);
  PutWord(bytes_, id);
  PutWord(bytes_, 0xFFFF);
  PutWord(bytes_, classAtom);
  PutText(bytes_, text);
  PutWord(bytes_, 0);  // no creation data
}

void DialogTemplateWriter::ControlWithResource(WORD id, WORD classAtom, WORD resourceId,
                                               DWORD style, short x, short y, short cx, short cy) {
  Header(style, x, y, cx, cy);
  PutWord(bytes_, id);
  PutWord(bytes_, 0xFFFF);
  PutWord(bytes_, classAtom);
  PutWord(bytes_, 0xFFFF);
  PutWord(bytes_, resourceId);
  PutWord(bytes_, 0);
}

std::vector<uint8_t> DialogTemplateWriter::Bytes() const {
  std::vector<uint8_t> b = bytes_;
  b[countOffset_] = static_cast<uint8_t>(count_);
  b[countOffset_ + 1] = static_cast<uint8_t>(count_ >> 8);
  return b;
}

std::vector<uint8_t> MakeBitmapResource(int width, int height, const std::vector<uint8_t>& rgb) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> b;
  PutInfoHeader(b, width, height, 24, stride * height);
  for (int y = height - 1; y >= 0; --y) {
    const size_t rowStart = b.size();
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
    }
    b.resize(rowStart + stride, 0);
  }
  return b;
}

std::vector<uint8_t> MakeIconImageResource(int size, const std::vector<uint8_t>& rgba) {
  const size_t maskStride = ((static_cast<size_t>(size) + 31) / 32) * 4;
  std::vector<uint8_t> b;
  PutInfoHeader(b, size, size * 2, 32, static_cast<size_t>(size) * size * 4 + maskStride * size);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
      b.push_back(p[2]);
      b.push_back(p[1]);
      b.push_back(p[0]);
      b.push_back(p[3]);
    }
  }
  b.resize(b.size() + maskStride * size, 0);  // alpha decides; the mask lets everything through
  return b;
}

std::vector<uint8_t> MakeIconGroupResource(const std::vector<std::pair<WORD, int>>& idAndSize,
                                           const std::vector<size_t>& imageBytes) {
  std::vector<uint8_t> b;
  PutWord(b, 0);
  PutWord(b, 1);
  PutWord(b, static_cast<uint32_t>(idAndSize.size()));
  for (size_t i = 0; i < idAndSize.size(); ++i) {
    const int s = idAndSize[i].second;
    b.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
    b.push_back(static_cast<uint8_t>(s >= 256 ? 0 : s));
    b.push_back(0);
    b.push_back(0);
    PutWord(b, 1);
    PutWord(b, 32);
    PutDword(b, static_cast<uint32_t>(i < imageBytes.size() ? imageBytes[i] : 0));
    PutWord(b, idAndSize[i].first);
  }
  return b;
}

bool DecodeBitmapResource(const uint8_t* data, size_t size, DecodedImage* image) {
  return DecodeDib(data, size, false, image);
}

bool DecodeIconImageResource(const uint8_t* data, size_t size, DecodedImage* image) {
  return DecodeDib(data, size, true, image);
}

bool DecodeIconGroupResource(const uint8_t* data, size_t size,
                             std::vector<IconGroupEntry>* entries) {
  if (!data || size < 6 || ReadWord(data) != 0 || ReadWord(data + 2) != 1) return false;
  const size_t count = ReadWord(data + 4);
  if (count > (size - 6) / 14) return false;
  entries->clear();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + 6 + i * 14;
    entries->push_back({e[0] == 0 ? 256 : e[0], static_cast<WORD>(ReadWord(e + 12))});
  }
  return true;
}

}  // namespace platform::win32

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!IS_INTRESOURCE(name) || !IS_INTRESOURCE(type)) return nullptr;
  const auto* bytes = platform::win32::FindProgramResource(
      type, static_cast<WORD>(reinterpret_cast<uintptr_t>(name)));
  return reinterpret_cast<HRSRC>(const_cast<std::vector<uint8_t>*>(bytes));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return resource; }

LPVOID LockResource(HGLOBAL data) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(data);
  return bytes ? bytes->data() : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  auto* bytes = reinterpret_cast<std::vector<uint8_t>*>(resource);
  return bytes ? static_cast<DWORD>(bytes->size()) : 0;
}
