// The JPEG stand-in on its own: parameters, DIB layouts, file sources and refusals.
#include <ijl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pack_test_util.h"
#include "pack_writer.h"

namespace {

const std::string kImages = packtest::TestImages();

struct Properties : JPEG_CORE_PROPERTIES {
  Properties() { EXPECT_EQ(ijlInit(this), IJL_OK); }
  ~Properties() { EXPECT_EQ(ijlFree(this), IJL_OK); }
};

std::vector<BYTE> Read(const char* file) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(vantrel::pack::ReadFileBytes(kImages + file, &bytes, &error)) << error;
  return bytes;
}

TEST(JpegStandIn, ReadsParametersFromMemoryAndFromAFile) {
  SKIP_WITHOUT_TEST_IMAGES();
  const std::vector<BYTE> grey = Read("pil_hopper_gray.jpg");
  Properties memory;
  memory.JPGBytes = grey.data();
  memory.JPGSizeBytes = DWORD(grey.size());
  ASSERT_EQ(ijlRead(&memory, IJL_JBUFF_READPARAMS), IJL_OK);
  EXPECT_EQ(memory.JPGWidth, 128u);
  EXPECT_EQ(memory.JPGChannels, 1u);
  EXPECT_EQ(memory.JPGColor, IJL_G);

  const std::string path = kImages + "ijg_testprog.jpg";
  Properties file;
  file.JPGFile = path.c_str();
  ASSERT_EQ(ijlRead(&file, IJL_JFILE_READPARAMS), IJL_OK);
  EXPECT_EQ(file.JPGWidth, 227u);
  EXPECT_EQ(file.JPGHeight, 149u);
  EXPECT_EQ(file.JPGChannels, 3u);
  EXPECT_EQ(file.JPGColor, IJL_YCBCR);

  const std::string missing = kImages + "no-such-file.jpg";
  file.JPGFile = missing.c_str();
  EXPECT_NE(ijlRead(&file, IJL_JFILE_READPARAMS), IJL_OK);
}

TEST(JpegStandIn, HeightSignChoosesRowOrderAndPadBytesStayUntouched) {
  SKIP_WITHOUT_TEST_IMAGES();
  const std::vector<BYTE> jpeg = Read("ijg_testorig.jpg");
  auto decode = [&](INT height, IJL_COLOR color, std::vector<BYTE>* dib) {
    Properties properties;
    properties.JPGBytes = jpeg.data();
    properties.JPGSizeBytes = DWORD(jpeg.size());
    EXPECT_EQ(ijlRead(&properties, IJL_JBUFF_READPARAMS), IJL_OK);
    const DWORD pitch = 227 * 3 + 5;
    dib->assign(size_t(pitch) * 149, 0xAB);
    properties.DIBBytes = dib->data();
    properties.DIBWidth = 227;
    properties.DIBHeight = height;
    properties.DIBChannels = 3;
    properties.DIBColor = color;
    properties.DIBPadBytes = 5;
    return ijlRead(&properties, IJL_JBUFF_READWHOLEIMAGE);
  };
  std::vector<BYTE> bottomUp, topDown;
  ASSERT_EQ(decode(149, IJL_BGR, &bottomUp), IJL_OK);
  ASSERT_EQ(decode(-149, IJL_RGB, &topDown), IJL_OK);
  const size_t pitch = 227 * 3 + 5;
  for (size_t y = 0; y < 149; ++y) {
    const BYTE* up = &bottomUp[(148 - y) * pitch];
    const BYTE* down = &topDown[y * pitch];
    for (size_t x = 0; x < 227; ++x) {
      ASSERT_EQ(up[3 * x + 0], down[3 * x + 2]) << x << "," << y;  // blue
      ASSERT_EQ(up[3 * x + 2], down[3 * x + 0]) << x << "," << y;  // red
    }
    for (size_t p = 227 * 3; p < pitch; ++p) ASSERT_EQ(up[p], 0xAB) << "pad byte written";
  }

  std::vector<BYTE> wrongSize;
  EXPECT_EQ(decode(148, IJL_BGR, &wrongSize), IJL_INVALID_JPEG_PROPERTIES);
}

TEST(JpegStandIn, RefusesWhatItCannotServe) {
  JPEG_CORE_PROPERTIES never = {};
  EXPECT_NE(ijlRead(&never, IJL_JBUFF_READPARAMS), IJL_OK) << "not initialised";
  EXPECT_NE(ijlFree(&never), IJL_OK);

  Properties empty;
  EXPECT_NE(ijlRead(&empty, IJL_JBUFF_READPARAMS), IJL_OK) << "no source";
  const std::vector<BYTE> text = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
  empty.JPGBytes = text.data();
  empty.JPGSizeBytes = DWORD(text.size());
  EXPECT_NE(ijlRead(&empty, IJL_JBUFF_READPARAMS), IJL_OK);
  EXPECT_NE(ijlRead(&empty, IJL_JBUFF_READWHOLEIMAGE), IJL_OK);
}

}  // namespace
