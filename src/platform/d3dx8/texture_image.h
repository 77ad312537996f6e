// The CPU side of texture creation from image files: recognising and decoding the file,
// scaling, colour keying, converting to a texture format and making mip levels. Kept apart
// from the device so that every step can be tested and fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::d3dx8 {

// File kinds, numbered as the D3DX image file formats are.
enum class ImageFileKind : uint32_t { Bmp = 0, Jpg = 1, Tga = 2, Png = 3, Dds = 4, Ppm = 5, Dib = 6 };

// Texture formats by their D3DFORMAT numbers.
namespace format {
constexpr uint32_t kUnknown = 0;
constexpr uint32_t kR8G8B8 = 20;
constexpr uint32_t kA8R8G8B8 = 21;
constexpr uint32_t kX8R8G8B8 = 22;
constexpr uint32_t kR5G6B5 = 23;
constexpr uint32_t kX1R5G5B5 = 24;
constexpr uint32_t kA1R5G5B5 = 25;
constexpr uint32_t kA4R4G4B4 = 26;
constexpr uint32_t kR3G3B2 = 27;
constexpr uint32_t kA8 = 28;
constexpr uint32_t kA8R3G3B2 = 29;
constexpr uint32_t kX4R4G4B4 = 30;
constexpr uint32_t kL8 = 50;
constexpr uint32_t kA8L8 = 51;
constexpr uint32_t kA4L4 = 52;
}  // namespace format

// 8-bit red, green, blue, alpha, rows top first.
struct Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

struct DecodedImage {
  Image image;
  ImageFileKind kind = ImageFileKind::Bmp;
  uint32_t sourceFormat = format::kUnknown;  // the closest texture format to the file's pixels
  bool hasAlpha = false;
};

// Largest width or height accepted from a file.
constexpr uint32_t kMaxImageSide = 1u << 14;

// Recognises the file from its bytes (BMP, a bare DIB starting at its BITMAPINFOHEADER,
// JPEG, PNG, TGA) and decodes it. False with a reason for anything else, for damaged data
// and for images larger than kMaxImageSide.
bool DecodeImageFile(const void* data, size_t size, DecodedImage* out, std::string* error);

// Filter numbers as D3DX gives them (the low byte of a filter argument).
constexpr uint32_t kFilterNone = 1;
constexpr uint32_t kFilterPoint = 2;
constexpr uint32_t kFilterLinear = 3;
constexpr uint32_t kFilterTriangle = 4;
constexpr uint32_t kFilterBox = 5;

// Scales to width x height. Shrinking averages the covered area (an exact halving is the
// 2 x 2 average); growing interpolates linearly; none and point pick the nearest pixel.
Image Resize(const Image& source, uint32_t width, uint32_t height, uint32_t filter);

// The size of mip level `level` of a width x height texture, and the length of a full chain.
uint32_t MipExtent(uint32_t extent, uint32_t level);
uint32_t FullMipCount(uint32_t width, uint32_t height);

// Pixels whose 0xAARRGGBB value equals `key` become transparent black.
void ApplyColorKey(Image* image, uint32_t key);

// Bytes per pixel of a format ConvertPixels writes, or 0 when it cannot write it.
uint32_t BytesPerPixel(uint32_t textureFormat);

// Writes the image in the texture format, row by row `pitch` bytes apart.
bool ConvertPixels(const Image& image, uint32_t textureFormat, void* destination, size_t pitch);

}  // namespace platform::d3dx8
