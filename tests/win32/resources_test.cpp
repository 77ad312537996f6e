// Resource layouts written by the resource writers and read back by the stand-in, including
// every truncation of them.
#include <gtest/gtest.h>

#include "win32/dialog_template.h"
#include "win32/program_resources.h"

using namespace platform::win32;

namespace {

std::vector<uint8_t> SampleTemplate() {
  DialogTemplateWriter d(WS_POPUP | WS_CAPTION | DS_SETFONT | DS_CENTER, 3, 4, 214, 129,
                         "Caption .  . ", 8, "Arial");
  d.Control(IDOK, kButtonClass, "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 5,
            103, 45, 14);
  d.Control(1001, kComboBoxClass, "", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 7, 18, 89, 95);
  d.ControlWithResource(0xFFFF, kStaticClass, 112, WS_CHILD | SS_BITMAP | WS_BORDER, 113, 6, 91,
                        74);
  d.Control(0xFFFF, kStaticClass, "Kevo`s", WS_CHILD | SS_CENTER, -1, 94, 75, 8);
  return d.Bytes();
}

}  // namespace

TEST(DialogTemplate, ReadsWhatTheWriterWrote) {
  const auto bytes = SampleTemplate();
  DialogTemplate t;
  ASSERT_TRUE(ParseDialogTemplate(bytes.data(), bytes.size(), &t));
  EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_CAPTION | DS_SETFONT | DS_CENTER));
  EXPECT_EQ(t.x, 3);
  EXPECT_EQ(t.y, 4);
  EXPECT_EQ(t.cx, 214);
  EXPECT_EQ(t.cy, 129);
  EXPECT_EQ(t.caption, "Caption .  . ");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.typeface, "Arial");
  ASSERT_EQ(t.items.size(), 4u);
  EXPECT_EQ(t.items[0].id, IDOK);
  EXPECT_EQ(t.items[0].classAtom, kButtonClass);
  EXPECT_EQ(t.items[0].text, "OK");
  EXPECT_EQ(t.items[0].style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
  EXPECT_EQ(t.items[1].id, 1001);
  EXPECT_EQ(t.items[1].cy, 95);
  EXPECT_TRUE(t.items[2].textIsResource);
  EXPECT_EQ(t.items[2].resourceId, 112);
  EXPECT_EQ(t.items[3].x, -1);
  EXPECT_EQ(t.items[3].text, "Kevo`s");
}

TEST(DialogTemplate, EveryTruncationIsRefused) {
  const auto bytes = SampleTemplate();
  for (size_t n = 0; n < bytes.size(); ++n) {
    // A copy of exactly n bytes, so a read past the end would be caught by sanitizers too.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
    DialogTemplate t;
    EXPECT_FALSE(ParseDialogTemplate(cut.data(), cut.size(), &t)) << n;
  }
  // A control count larger than what follows.
  auto lying = bytes;
  lying[8] = 200;
  DialogTemplate t;
  EXPECT_FALSE(ParseDialogTemplate(lying.data(), lying.size(), &t));
  EXPECT_FALSE(ParseDialogTemplate(nullptr, 0, &t));
}

TEST(BitmapResource, RoundTripsAndRefusesDamage) {
  const int w = 5, h = 3;  // odd width: rows are padded to 4 bytes
  std::vector<uint8_t> rgb(w * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7);
  const auto bytes = MakeBitmapResource(w, h, rgb);
  EXPECT_EQ(bytes.size(), 40u + 16u * h);
  DecodedImage image;
  ASSERT_TRUE(DecodeBitmapResource(bytes.data(), bytes.size(), &image));
  ASSERT_EQ(image.width, w);
  ASSERT_EQ(image.height, h);
  for (int i = 0; i < w * h; ++i) {
    EXPECT_EQ(image.rgba[i * 4 + 0], rgb[i * 3 + 0]) << i;
    EXPECT_EQ(image.rgba[i * 4 + 1], rgb[i * 3 + 1]) << i;
    EXPECT_EQ(image.rgba[i * 4 + 2], rgb[i * 3 + 2]) << i;
    EXPECT_EQ(image.rgba[i * 4 + 3], 255);
  }
  for (size_t n = 0; n < bytes.size(); ++n) {
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
    EXPECT_FALSE(DecodeBitmapResource(cut.data(), cut.size(), &image)) << n;
  }
  auto huge = bytes;
  huge[5] = 0x7F;  // width far beyond the data
  EXPECT_FALSE(DecodeBitmapResource(huge.data(), huge.size(), &image));
}

TEST(IconResources, GroupAndImagesRoundTrip) {
  std::vector<uint8_t> rgba(16 * 16 * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i);
  const auto image = MakeIconImageResource(16, rgba);
  DecodedImage decoded;
  ASSERT_TRUE(DecodeIconImageResource(image.data(), image.size(), &decoded));
  EXPECT_EQ(decoded.width, 16);
  EXPECT_EQ(decoded.height, 16);
  EXPECT_EQ(decoded.rgba, rgba);
  // The mask after the colour image is never read (alpha decides), so only cuts before it count.
  const size_t colourEnd = 40 + 16 * 16 * 4;
  for (size_t n = 0; n < colourEnd; n += 7) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + n);
    EXPECT_FALSE(DecodeIconImageResource(cut.data(), cut.size(), &decoded)) << n;
  }

  const auto group = MakeIconGroupResource({{1, 16}, {2, 32}, {3, 48}}, {1, 2, 3});
  std::vector<IconGroupEntry> entries;
  ASSERT_TRUE(DecodeIconGroupResource(group.data(), group.size(), &entries));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].size, 48);
  EXPECT_EQ(entries[2].id, 3);
  std::vector<uint8_t> cut(group.begin(), group.end() - 1);
  EXPECT_FALSE(DecodeIconGroupResource(cut.data(), cut.size(), &entries));
}

TEST(ProgramResources, FoundThroughTheResourceCalls) {
  AddProgramResource(RT_BITMAP, 77, {1, 2, 3});
  const HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCEA(77), RT_BITMAP);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, r), 3u);
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, r)));
  EXPECT_EQ(data[2], 3);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(78), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(77), RT_DIALOG), nullptr);
}

TEST(DialogBox, MissingOrDamagedTemplateFails) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4321), nullptr, nullptr, 0), -1);
  AddProgramResource(RT_DIALOG, 4322, {1, 2, 3, 4, 5});
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4322), nullptr, nullptr, 0), -1);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("4321 is missing"), std::string::npos) << errors;
  EXPECT_NE(errors.find("4322 is malformed"), std::string::npos) << errors;
}
