#include "platform/d3dx8/texture_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "md5.h"
#include "pack_test_util.h"
#include "pack_writer.h"

namespace {

using namespace platform::d3dx8;

const std::string kImages = packtest::TestImages();

std::vector<uint8_t> ReadImage(const std::string& file) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(vantrel::pack::ReadFileBytes(kImages + file, &bytes, &error)) << error;
  return bytes;
}

bool Decode(const std::vector<uint8_t>& bytes, DecodedImage* out, std::string* error = nullptr) {
  std::string ignored;
  return DecodeImageFile(bytes.data(), bytes.size(), out, error ? error : &ignored);
}

// A DIB as the JPEG decoder writes it: header, then bottom-up blue-green-red rows padded to 4.
std::vector<uint8_t> MakeDib(int width, int height, const std::vector<uint32_t>& rgbTopFirst) {
  std::vector<uint8_t> dib;
  packtest::Put32(&dib, 40);
  packtest::Put32(&dib, uint32_t(width));
  packtest::Put32(&dib, uint32_t(height));
  dib.insert(dib.end(), {1, 0, 24, 0});
  dib.resize(40, 0);
  const int row = (width * 3 + 3) & ~3;
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = rgbTopFirst[size_t(y * width + x)];
      dib.insert(dib.end(), {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)});
    }
    dib.resize(dib.size() + size_t(row - width * 3), 0xEE);
  }
  return dib;
}

std::vector<uint8_t> Reds(const Image& image) {
  std::vector<uint8_t> reds;
  for (size_t i = 0; i < image.rgba.size(); i += 4) reds.push_back(image.rgba[i]);
  return reds;
}

TEST(DecodeImageFile, RealWorldImagesDecodeToTheirKnownPixels) {
  SKIP_WITHOUT_TEST_IMAGES();
  struct Case {
    const char* file;
    uint32_t width, height;
    ImageFileKind kind;
    const char* md5;  // of the RGBA pixels, top row first; empty for JPEG (decoders differ by 1)
    bool hasAlpha;
    // The reference hashes of bottom-up TGAs list the rows in file order, bottom row first
    // (their top-down twins hash to the flip of it), so those are compared flipped.
    bool hashOfFileRows = false;
  } cases[] = {
      {"irr_Particle.tga", 64, 64, ImageFileKind::Tga, "e351321cd58c", false, true},
      {"irr_irrlichtlogoalpha.tga", 128, 32, ImageFileKind::Tga, "eeadbb060416", true, true},
      {"irr_irrlichtlogoalpha2.tga", 128, 128, ImageFileKind::Tga, "cf37cd7aea9c", true, true},
      {"irr_grey.tga", 256, 256, ImageFileKind::Tga, "ba1a46171053", false, true},
      {"irr_fireball.bmp", 64, 64, ImageFileKind::Bmp, "b7597bf8ea14", false},
      {"irr_particle.bmp", 87, 91, ImageFileKind::Bmp, "bb09fe787f34", false},
      {"ijg_testimg.bmp", 227, 149, ImageFileKind::Bmp, "9f24df20259e", false},
      {"lib3ds_cube.tga", 128, 32, ImageFileKind::Tga, "2f4719557535", false, true},
      {"pil_200x32_rgb_bl_raw.tga", 200, 32, ImageFileKind::Tga, "a0350af139cb", false, true},
      {"pil_200x32_rgb_tl_rle.tga", 200, 32, ImageFileKind::Tga, "b0920bff8ec0", false},
      {"pil_200x32_rgba_tl_raw.tga", 200, 32, ImageFileKind::Tga, "a6d896dc3da5", true},
      {"pil_200x32_rgba_bl_rle.tga", 200, 32, ImageFileKind::Tga, "10ade5a9b656", true, true},
      {"pil_200x32_l_tl_rle.tga", 200, 32, ImageFileKind::Tga, "58b3321ef8ba", false},
      {"pil_rgba16.tga", 2, 1, ImageFileKind::Tga, "b9cc070a91e4", true},
      {"pil_tga_id_field.tga", 100, 100, ImageFileKind::Tga, "bc8657f79f76", false, true},
      {"bmpsuite_rgb24.bmp", 127, 64, ImageFileKind::Bmp, "a235eb027324", false},
      {"bmpsuite_rgb32.bmp", 127, 64, ImageFileKind::Bmp, "a235eb027324", false},
      {"bmpsuite_rgb32bf.bmp", 127, 64, ImageFileKind::Bmp, "a235eb027324", false},
      {"bmpsuite_pal8.bmp", 127, 64, ImageFileKind::Bmp, "7d819e504633", false},
      {"bmpsuite_pal8topdown.bmp", 127, 64, ImageFileKind::Bmp, "7d819e504633", false},
      {"bmpsuite_pal8rle.bmp", 127, 64, ImageFileKind::Bmp, "7d819e504633", false},
      {"irr_terrain-heightmap.bmp", 256, 256, ImageFileKind::Bmp, "4a26b68d8126", false},
      {"irr_t351sml.jpg", 128, 128, ImageFileKind::Jpg, "", false},
      {"ijg_testorig.jpg", 227, 149, ImageFileKind::Jpg, "", false},
      {"ijg_testprog.jpg", 227, 149, ImageFileKind::Jpg, "", false},
      {"ijg_testimgp.jpg", 227, 149, ImageFileKind::Jpg, "", false},
      {"pil_hopper_gray.jpg", 128, 128, ImageFileKind::Jpg, "", false},
      {"pil_hopper.jpg", 128, 128, ImageFileKind::Jpg, "", false},
      {"pil_flower2.jpg", 300, 225, ImageFileKind::Jpg, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    DecodedImage decoded;
    std::string error;
    ASSERT_TRUE(Decode(ReadImage(c.file), &decoded, &error)) << error;
    EXPECT_EQ(decoded.image.width, c.width);
    EXPECT_EQ(decoded.image.height, c.height);
    EXPECT_EQ(decoded.kind, c.kind);
    ASSERT_EQ(decoded.image.rgba.size(), size_t(c.width) * c.height * 4);
    if (*c.md5) {
      std::vector<uint8_t> rows = decoded.image.rgba;
      if (c.hashOfFileRows) {
        const size_t row = size_t(c.width) * 4;
        for (uint32_t y = 0; y < c.height; ++y) {
          std::memcpy(&rows[y * row], &decoded.image.rgba[(c.height - 1 - y) * row], row);
        }
      }
      EXPECT_EQ(packtest::Md5Hex(rows).substr(0, 12), c.md5);
    }
    if (!c.hasAlpha) {
      bool opaque = true;
      for (size_t i = 3; i < decoded.image.rgba.size(); i += 4) opaque &= decoded.image.rgba[i] == 255;
      EXPECT_TRUE(opaque) << "no alpha in the file reads as 255";
    }
  }
}

TEST(DecodeImageFile, ProgressiveJpegMatchesItsBaselineTwin) {
  SKIP_WITHOUT_TEST_IMAGES();
  DecodedImage baseline, progressive;
  ASSERT_TRUE(Decode(ReadImage("ijg_testorig.jpg"), &baseline));
  ASSERT_TRUE(Decode(ReadImage("ijg_testprog.jpg"), &progressive));
  ASSERT_EQ(baseline.image.rgba.size(), progressive.image.rgba.size());
  int worst = 0;
  for (size_t i = 0; i < baseline.image.rgba.size(); ++i) {
    worst = std::max(worst, std::abs(baseline.image.rgba[i] - progressive.image.rgba[i]));
  }
  EXPECT_LE(worst, 1);
}

TEST(DecodeImageFile, BareDibTopLeftIsTheLastRowInMemory) {
  // 3 x 2: red, green, blue over white, black, grey; rows padded from 9 to 12 bytes.
  const std::vector<uint8_t> dib =
      MakeDib(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080});
  ASSERT_EQ(dib.size(), 64u);
  DecodedImage decoded;
  std::string error;
  ASSERT_TRUE(Decode(dib, &decoded, &error)) << error;
  EXPECT_EQ(decoded.kind, ImageFileKind::Dib);
  ASSERT_EQ(decoded.image.width, 3u);
  ASSERT_EQ(decoded.image.height, 2u);
  const std::vector<uint8_t> expected = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                         255, 255, 255, 255, 0, 0, 0, 255, 128, 128, 128, 255};
  EXPECT_EQ(decoded.image.rgba, expected);

  // The same pixels behind an (unused) two-colour table that a 24-bit DIB may carry.
  std::vector<uint8_t> withTable = dib;
  withTable[32] = 2;  // biClrUsed
  withTable.insert(withTable.begin() + 40, 8, 0x55);
  DecodedImage tabled;
  ASSERT_TRUE(Decode(withTable, &tabled, &error)) << error;
  EXPECT_EQ(tabled.image.rgba, expected);
}

TEST(DecodeImageFile, RunLengthFourBitBmpExpandsRunsAndDropsWhatLeavesTheImage) {
  std::vector<uint8_t> bmp = {'B', 'M'};
  packtest::Put32(&bmp, 0);
  packtest::Put32(&bmp, 0);
  packtest::Put32(&bmp, 14 + 40 + 16 * 4);
  packtest::Put32(&bmp, 40);
  packtest::Put32(&bmp, 4);
  packtest::Put32(&bmp, 2);
  bmp.insert(bmp.end(), {1, 0, 4, 0});
  packtest::Put32(&bmp, 2);  // RLE4
  bmp.resize(14 + 40, 0);
  for (int i = 0; i < 16; ++i) bmp.insert(bmp.end(), {uint8_t(i * 10), uint8_t(i * 10), uint8_t(i * 10), 0});
  // Bottom row: a run of 1, 2, 1, 2. Top row: 3, 4, 5 written out, then a run of 6s that
  // overflows the row, then the end.
  bmp.insert(bmp.end(), {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 9, 0x66, 0, 1});
  DecodedImage decoded;
  std::string error;
  ASSERT_TRUE(Decode(bmp, &decoded, &error)) << error;
  ASSERT_EQ(decoded.image.width, 4u);
  EXPECT_EQ(Reds(decoded.image), (std::vector<uint8_t>{30, 40, 50, 60, 10, 20, 10, 20}));
}

TEST(DecodeImageFile, SixteenBitTgaKeepsItsAlphaBitThroughRuns) {
  // 2 x 2, run-length, bottom row first, one attribute bit: a run of two opaque blues, then
  // a transparent red and an opaque green written out.
  std::vector<uint8_t> tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 16, 0x01,
                              0x81, 0x1F, 0x80, 0x01, 0x00, 0x7C, 0xE0, 0x83};
  DecodedImage decoded;
  std::string error;
  ASSERT_TRUE(Decode(tga, &decoded, &error)) << error;
  EXPECT_TRUE(decoded.hasAlpha);
  EXPECT_EQ(decoded.image.rgba, (std::vector<uint8_t>{255, 0, 0, 0, 0, 255, 0, 255,  //
                                                      0, 0, 255, 255, 0, 0, 255, 255}));
  // Cut short, the pixels it no longer holds stay transparent black.
  tga.resize(tga.size() - 2);
  ASSERT_TRUE(Decode(tga, &decoded, &error)) << error;
  EXPECT_EQ(std::vector<uint8_t>(decoded.image.rgba.begin(), decoded.image.rgba.begin() + 8),
            (std::vector<uint8_t>{255, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(DecodeImageFile, DamagedOrUnknownDataFailsCleanly) {
  std::vector<uint8_t> hugeDib = MakeDib(1, 1, {0});
  hugeDib[4] = hugeDib[5] = hugeDib[6] = 0x7F;  // width 0x007F7F7F
  std::vector<uint8_t> dibNoTable = MakeDib(1, 1, {0});
  dibNoTable[14] = 8;  // 8 bits a pixel: a 256-colour table should follow
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H'};
  // A run-length BMP cut inside its header and inside its colour table.
  std::vector<uint8_t> rle = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 64, 0, 0, 0, 40, 0, 0, 0, 4, 0,
                              0, 0, 4, 0, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0};
  rle.resize(54 + 16, 0);
  const std::vector<uint8_t> rleHead(rle.begin(), rle.begin() + 40);
  const std::vector<uint8_t> rleTable = rle;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"text", packtest::Bytes("just some words, no picture at all")},
      {"DDS", packtest::Bytes("DDS |....................................................")},
      {"truncated PNG", png},
      {"JPEG marker only", {0xFF, 0xD8, 0xFF, 0xE0}},
      {"BMP header only", {'B', 'M', 0, 0, 0, 0}},
      {"DIB too wide", hugeDib},
      {"DIB without its colour table", dibNoTable},
      {"RLE BMP cut inside its header", rleHead},
      {"RLE BMP with its colour table cut", rleTable},
  };
  for (const Case& c : cases) {
    DecodedImage decoded;
    std::string error;
    EXPECT_FALSE(Decode(c.bytes, &decoded, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(Mips, ChainLengthsAndExtents) {
  EXPECT_EQ(FullMipCount(1, 1), 1u);
  EXPECT_EQ(FullMipCount(256, 256), 9u);
  EXPECT_EQ(FullMipCount(256, 1), 9u);
  EXPECT_EQ(FullMipCount(5, 3), 3u);
  EXPECT_EQ(FullMipCount(227, 149), 8u);
  EXPECT_EQ(MipExtent(5, 1), 2u);
  EXPECT_EQ(MipExtent(5, 2), 1u);
  EXPECT_EQ(MipExtent(3, 7), 1u);
  EXPECT_EQ(MipExtent(1u << 31, 40), 1u);
}

Image Grey(uint32_t width, uint32_t height, const std::vector<uint8_t>& values) {
  Image image;
  image.width = width;
  image.height = height;
  for (uint8_t v : values) image.rgba.insert(image.rgba.end(), {v, v, v, uint8_t(255 - v)});
  return image;
}

TEST(Mips, HalvingAveragesEachTwoByTwoBlock) {
  // Sums 0+1+2+3 = 6 -> 1.5 rounds to 2; 10+20+30+41 = 101 -> 25.25 -> 25; 255 x 4 -> 255.
  const Image source = Grey(4, 2, {0, 1, 10, 20, 2, 3, 30, 41});
  const Image half = Resize(source, 2, 1, kFilterLinear);
  EXPECT_EQ(Reds(half), (std::vector<uint8_t>{2, 25}));
  // Alpha is averaged the same way: 255 - v.
  EXPECT_EQ(half.rgba[3], 254);  // (255 + 254 + 253 + 252) / 4 = 253.5 -> 254
  EXPECT_EQ(Resize(Grey(2, 2, {255, 255, 255, 255}), 1, 1, kFilterBox).rgba[0], 255);
}

TEST(Mips, OddExtentsWeighEachSourcePixelByItsCoverage) {
  // 3 -> 1 takes all three equally; 5 -> 2 takes 1, 1, 1/2 of the middle over 2.5.
  EXPECT_EQ(Reds(Resize(Grey(3, 1, {0, 30, 90}), 1, 1, kFilterLinear)), (std::vector<uint8_t>{40}));
  EXPECT_EQ(Reds(Resize(Grey(5, 1, {10, 20, 100, 40, 50}), 2, 1, kFilterLinear)),
            (std::vector<uint8_t>{(10 + 20 + 50) * 10 / 25, (50 + 40 + 50) * 10 / 25}));
  // A column: 1 x 3 -> 1 x 1.
  EXPECT_EQ(Reds(Resize(Grey(1, 3, {3, 6, 9}), 1, 1, kFilterTriangle)), (std::vector<uint8_t>{6}));
  // Point sampling picks, never blends.
  EXPECT_EQ(Reds(Resize(Grey(4, 1, {1, 2, 3, 4}), 2, 1, kFilterPoint)), (std::vector<uint8_t>{2, 4}));
  // Growing interpolates between pixel centres and holds the edges.
  EXPECT_EQ(Reds(Resize(Grey(2, 1, {0, 200}), 4, 1, kFilterLinear)),
            (std::vector<uint8_t>{0, 50, 150, 200}));
}

TEST(ConvertPixels, EveryFormatPacksTheSamePixel) {
  Image pixel;
  pixel.width = 1;
  pixel.height = 1;
  pixel.rgba = {255, 128, 0, 64};  // orange, a quarter opaque
  struct Case {
    uint32_t format;
    std::vector<uint8_t> bytes;  // little-endian, as the texture memory holds them
  } cases[] = {
      {format::kA8R8G8B8, {0x00, 0x80, 0xFF, 0x40}},
      {format::kX8R8G8B8, {0x00, 0x80, 0xFF, 0xFF}},
      {format::kR8G8B8, {0x00, 0x80, 0xFF}},
      {format::kR5G6B5, {0x00, 0xFC}},    // 31 << 11 | 32 << 5
      {format::kX1R5G5B5, {0x00, 0xFE}},  // 1 << 15 | 31 << 10 | 16 << 5
      {format::kA1R5G5B5, {0x00, 0x7E}},
      {format::kA4R4G4B4, {0x80, 0x4F}},
      {format::kX4R4G4B4, {0x80, 0xFF}},
      {format::kA8, {0x40}},
      {format::kL8, {146}},  // 0.2125 x 255 + 0.7154 x 128
      {format::kA8L8, {146, 0x40}},
      {format::kR3G3B2, {0xF0}},  // 7 << 5 | 4 << 2
      {format::kA8R3G3B2, {0xF0, 0x40}},
      {format::kA4L4, {0x49}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> out(8, 0xCD);
    ASSERT_EQ(BytesPerPixel(c.format), c.bytes.size()) << c.format;
    ASSERT_TRUE(ConvertPixels(pixel, c.format, out.data(), 8)) << c.format;
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + long(c.bytes.size())), c.bytes)
        << c.format;
    EXPECT_EQ(out[c.bytes.size()], 0xCD) << "wrote past the pixel, format " << c.format;
  }
  std::vector<uint8_t> out(8);
  EXPECT_FALSE(ConvertPixels(pixel, 827611204 /* DXT1 */, out.data(), 8));
}

TEST(ConvertPixels, RowsFollowThePitch) {
  Image image = Grey(2, 2, {1, 2, 3, 4});
  std::vector<uint8_t> out(2 * 12, 0);
  ASSERT_TRUE(ConvertPixels(image, format::kL8, out.data(), 12));
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 2);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[12], 3);
  EXPECT_EQ(out[13], 4);
}

TEST(ApplyColorKey, OnlyTheExactColourBecomesTransparentBlack) {
  Image image;
  image.width = 3;
  image.height = 1;
  image.rgba = {255, 0, 255, 255, 255, 0, 254, 255, 255, 0, 255, 128};
  ApplyColorKey(&image, 0xFFFF00FF);
  EXPECT_EQ(image.rgba, (std::vector<uint8_t>{0, 0, 0, 0, 255, 0, 254, 255, 255, 0, 255, 128}));
}

}  // namespace
