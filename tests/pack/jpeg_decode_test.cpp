#include "pack/jpeg_decode.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pack/pack_file.h"
#include "pack_test_util.h"
#include "pack_writer.h"

namespace {


// Encodes pixels given top row first; 4:4:4 at full quality keeps flat colours exact enough.
std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height,
                                int pixelFormat, int subsampling = TJSAMP_444) {
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int result = tjCompress2(handle, pixels.data(), width, 0, height, pixelFormat, &out, &size,
                                 subsampling, 100, TJFLAG_ACCURATEDCT);
  EXPECT_EQ(result, 0) << tjGetErrorStr2(handle);
  std::vector<uint8_t> jpeg(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

std::vector<uint8_t> Solid(int width, int height, std::vector<uint8_t> pixel) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), pixel.begin(), pixel.end());
  return pixels;
}

struct Dib {
  unsigned char* block = nullptr;
  DWORD size = 0;
  ~Dib() { delete[] block; }
  uint32_t Get32(int at) const {
    return block[at] | block[at + 1] << 8 | block[at + 2] << 16 | uint32_t(block[at + 3]) << 24;
  }
  // Blue, green, red of pixel (x, y), y counted from the image's top.
  const unsigned char* Pixel(int x, int y) const {
    const int width = int(Get32(4)), height = int(Get32(8));
    const int row = (width * 3 + 3) & ~3;
    return block + 40 + (height - 1 - y) * row + x * 3;
  }
};

class DecodeJpegTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    vantrel::pack::PackWriter writer;
    std::string error;
    auto add = [&](const std::string& name, std::vector<uint8_t> bytes) {
      ASSERT_TRUE(writer.Add(name, std::move(bytes), &error)) << error;
    };
    add("3x2.jpg", EncodeJpeg(Solid(3, 2, {10, 200, 30}), 3, 2, TJPF_RGB));
    add("4x2.jpg", EncodeJpeg(Solid(4, 2, {10, 200, 30}), 4, 2, TJPF_RGB));
    // Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
    std::vector<uint8_t> quadrants;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const bool right = x >= 8, bottom = y >= 8;
        if (!bottom && !right) quadrants.insert(quadrants.end(), {255, 0, 0});
        if (!bottom && right) quadrants.insert(quadrants.end(), {0, 255, 0});
        if (bottom && !right) quadrants.insert(quadrants.end(), {0, 0, 255});
        if (bottom && right) quadrants.insert(quadrants.end(), {255, 255, 255});
      }
    }
    add("quadrants.jpg", EncodeJpeg(quadrants, 16, 16, TJPF_RGB));
    add("grey.jpg", EncodeJpeg(Solid(8, 8, {77}), 8, 8, TJPF_GRAY, TJSAMP_GRAY));
    // Inverted inks as Adobe stores them: full cyan-free, magenta and yellow ink, no black.
    add("cmyk.jpg", EncodeJpeg(Solid(8, 8, {255, 0, 0, 255}), 8, 8, TJPF_CMYK));
    std::vector<uint8_t> bytes;
    std::string readError;
    for (const char* file : {"pil_hopper_gray.jpg", "ijg_testorig.jpg", "ijg_testprog.jpg"}) {
      if (!packtest::HaveTestImages()) break;
      ASSERT_TRUE(vantrel::pack::ReadFileBytes(packtest::TestImages() + file, &bytes, &readError))
          << readError;
      add(file, bytes);
      bytes.resize(bytes.size() / 3);
      add(std::string("cut_") + file, bytes);
    }
    add("notjpeg.jpg", packtest::Bytes("GIF89a, clearly not a JPEG"));
    add("header_only.jpg", std::vector<uint8_t>{0xFF, 0xD8, 0xFF});
    path = new std::string((std::filesystem::temp_directory_path() /
                            ("vantrel-jpeg-" + std::to_string(::getpid()) + ".dat"))
                               .string());
    ASSERT_TRUE(writer.Write(*path, &error)) << error;
    ASSERT_TRUE(packFile.OpenPack(path->c_str()));
  }
  static void TearDownTestSuite() {
    std::remove(path->c_str());
    delete path;
  }

  static std::string* path;
};
std::string* DecodeJpegTest::path = nullptr;

TEST(DibSize, RowsArePaddedToFourBytesAndHugeSizesRefused) {
  struct Case {
    DWORD width, height;
    bool ok;
    DWORD row, pixels;
  } cases[] = {
      {3, 2, true, 12, 24},
      {4, 2, true, 12, 24},
      {1, 1, true, 4, 4},
      {5, 3, true, 16, 48},
      {0xFFFFFFFF, 0xFFFFFFFF, false, 0, 0},
      {0x55555556, 1, false, 0, 0},  // 3 x width wraps 32 bits
      {16384, 16384, false, 0, 0},
  };
  for (const Case& c : cases) {
    DWORD row = 0, pixels = 0;
    EXPECT_EQ(DibSize(c.width, c.height, &row, &pixels), c.ok) << c.width << "x" << c.height;
    if (!c.ok) continue;
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(pixels, c.pixels);
  }
}

TEST_F(DecodeJpegTest, BlockHeaderAndPaddingFollowTheImageWidth) {
  struct Case {
    const char* name;
    DWORD width, blockSize;
  } cases[] = {{"3x2.jpg", 3, 64}, {"4x2.jpg", 4, 64}};
  for (const Case& c : cases) {
    Dib dib;
    ASSERT_EQ(DecodeJpeg(c.name, &dib.block, &dib.size), 1) << c.name;
    EXPECT_EQ(dib.size, c.blockSize);
    const uint32_t expectedHeader[] = {40, c.width, 2};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dib.Get32(4 * i), expectedHeader[i]);
    EXPECT_EQ(dib.block[12] | dib.block[13] << 8, 1);   // planes
    EXPECT_EQ(dib.block[14] | dib.block[15] << 8, 24);  // bits
    for (int at = 16; at < 40; at += 4) EXPECT_EQ(dib.Get32(at), 0u) << at;
    for (int y = 0; y < 2; ++y) {
      for (DWORD x = 0; x < c.width; ++x) {
        const unsigned char* p = dib.Pixel(int(x), y);
        EXPECT_NEAR(p[0], 30, 2);
        EXPECT_NEAR(p[1], 200, 2);
        EXPECT_NEAR(p[2], 10, 2);
      }
    }
    if (c.width == 3) {
      // Pad bytes after each 9-byte row are zero.
      for (int at : {40 + 9, 40 + 10, 40 + 11, 40 + 21, 40 + 22, 40 + 23}) {
        EXPECT_EQ(dib.block[at], 0) << at;
      }
    }
  }
}

TEST_F(DecodeJpegTest, RowsAreStoredBottomUpInBlueGreenRed) {
  Dib dib;
  ASSERT_EQ(DecodeJpeg("quadrants.jpg", &dib.block, &dib.size), 1);
  // The first row in memory is the image's bottom row: blue then white.
  const unsigned char* firstRow = dib.block + 40;
  EXPECT_GT(firstRow[0], 240);
  EXPECT_LT(firstRow[2], 15);
  struct Case {
    int x, y, blue, green, red;
  } cases[] = {{0, 0, 0, 0, 255}, {15, 0, 0, 255, 0}, {0, 15, 255, 0, 0}, {15, 15, 255, 255, 255}};
  for (const Case& c : cases) {
    const unsigned char* p = dib.Pixel(c.x, c.y);
    EXPECT_NEAR(p[0], c.blue, 12) << c.x << "," << c.y;
    EXPECT_NEAR(p[1], c.green, 12) << c.x << "," << c.y;
    EXPECT_NEAR(p[2], c.red, 12) << c.x << "," << c.y;
  }
}

TEST_F(DecodeJpegTest, GreyAndInkJpegsBecomeColourDibs) {
  struct Case {
    const char* name;
    int width, blue, green, red;  // expected everywhere; -1: grey of any level
  } cases[] = {{"grey.jpg", 8, 77, 77, 77}, {"pil_hopper_gray.jpg", 128, -1, -1, -1},
               {"cmyk.jpg", 8, 0, 0, 255}};
  for (const Case& c : cases) {
    if (c.blue < 0 && !packtest::HaveTestImages()) continue;
    Dib dib;
    ASSERT_EQ(DecodeJpeg(c.name, &dib.block, &dib.size), 1) << c.name;
    ASSERT_EQ(dib.Get32(4), uint32_t(c.width));
    EXPECT_EQ(dib.block[14], 24);
    int colourful = 0;
    for (int y = 0; y < c.width; y += 7) {
      for (int x = 0; x < c.width; x += 7) {
        const unsigned char* p = dib.Pixel(x, y);
        if (c.blue >= 0) {
          EXPECT_NEAR(p[0], c.blue, 2) << c.name;
          EXPECT_NEAR(p[1], c.green, 2) << c.name;
          EXPECT_NEAR(p[2], c.red, 2) << c.name;
        }
        colourful += p[0] != p[1] || p[1] != p[2];
      }
    }
    if (c.blue < 0) {
      EXPECT_EQ(colourful, 0) << c.name;
    }
  }
}

TEST_F(DecodeJpegTest, ProgressiveDecodesToTheSamePixelsAsBaseline) {
  SKIP_WITHOUT_TEST_IMAGES();
  Dib baseline, progressive;
  ASSERT_EQ(DecodeJpeg("ijg_testorig.jpg", &baseline.block, &baseline.size), 1);
  ASSERT_EQ(DecodeJpeg("IJG_TESTPROG.JPG", &progressive.block, &progressive.size), 1);
  EXPECT_EQ(baseline.Get32(4), 227u);
  EXPECT_EQ(baseline.Get32(8), 149u);
  // 227 x 3 = 681 bytes a row, padded to 684.
  EXPECT_EQ(baseline.size, 40u + 684 * 149);
  ASSERT_EQ(progressive.size, baseline.size);
  EXPECT_EQ(std::memcmp(baseline.block, progressive.block, baseline.size), 0);
}

TEST_F(DecodeJpegTest, FailuresReturnNoBlock) {
  // A truncated stream is still a picture (its tail is filled in); only what has no
  // readable header fails.
  for (const char* name : {"notjpeg.jpg", "header_only.jpg", "absent.jpg"}) {
    Dib dib;
    dib.block = reinterpret_cast<unsigned char*>(0x1);
    unsigned char* untouched = dib.block;
    EXPECT_EQ(DecodeJpeg(name, &dib.block, &dib.size), 0) << name;
    EXPECT_EQ(dib.block, untouched) << name;
    dib.block = nullptr;
  }
  if (!packtest::HaveTestImages()) return;
  for (const char* name : {"cut_ijg_testorig.jpg", "cut_ijg_testprog.jpg"}) {
    Dib dib;
    EXPECT_EQ(DecodeJpeg(name, &dib.block, &dib.size), 1) << name;
  }
}

TEST_F(DecodeJpegTest, NoNameExtractsNothing) {
  unsigned char* before = ExtractFromPack("grey.jpg");
  Dib dib;
  EXPECT_EQ(DecodeJpeg(nullptr, &dib.block, &dib.size), 0);
  EXPECT_EQ(dib.block, nullptr);
  EXPECT_EQ(packFile.lastData, before);
  delete[] before;
}

}  // namespace
