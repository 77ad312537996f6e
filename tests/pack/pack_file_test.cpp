#include "pack/pack_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pack_test_util.h"
#include "pack_writer.h"

namespace {

using packtest::Bytes;
using packtest::Put32;
using packtest::PutName;

std::vector<std::string> reports;
void Record(const char* text) { reports.push_back(text); }

struct Owned {
  unsigned char* data;
  DWORD size;
  ~Owned() { delete[] data; }
  std::string Text() const { return std::string(reinterpret_cast<char*>(data), size); }
};

class PackFileTest : public testing::Test {
 protected:
  void SetUp() override { reports.clear(); }

  std::string WritePack(const std::vector<std::pair<std::string, std::string>>& entries) {
    vantrel::pack::PackWriter writer;
    std::string error;
    for (const auto& [name, text] : entries) EXPECT_TRUE(writer.Add(name, Bytes(text), &error)) << error;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(writer.Build(&bytes, &error)) << error;
    return packtest::WriteTemp("test.dat", bytes);
  }

  Owned Extract(const char* name) {
    unsigned char* data = pack.Extract(name);
    EXPECT_EQ(pack.lastData, data);
    return Owned{data, pack.lastSize};
  }

  PackFile pack{Record};
};

TEST_F(PackFileTest, LookupIgnoresTheCaseOfAToZOnly) {
  // \xC4 and \xE4 are upper and lower A-umlaut in Latin-1: bytes above 127 must not fold.
  ASSERT_TRUE(pack.OpenPack(WritePack({{"Objs\\room.3ds", "room"}, {"!textures\\\xC4.tga", "ae"}})
                                .c_str()));
  struct Case {
    const char* request;
    const char* expected;  // null: not found
  } cases[] = {
      {"Objs\\room.3ds", "room"},       {"OBJS\\ROOM.3DS", "room"},  {"objs\\room.3ds", "room"},
      {"!TEXTURES\\\xC4.TGA", "ae"},    {"!textures\\\xE4.tga", nullptr},
      {"objs/room.3ds", nullptr},       {"Objs\\room.3ds ", nullptr}, {"", nullptr},
  };
  for (const Case& c : cases) {
    reports.clear();
    PackEntry entry;
    const bool found = pack.FindEntry(c.request, &entry);
    EXPECT_EQ(found, c.expected != nullptr) << c.request;
    if (c.expected) {
      EXPECT_TRUE(reports.empty()) << c.request;
      EXPECT_EQ(Extract(c.request).Text(), c.expected);
    } else {
      ASSERT_EQ(reports.size(), 1u) << c.request;
      EXPECT_EQ(entry.entryName, nullptr) << "a miss leaves the caller's record as it was";
    }
  }
}

TEST_F(PackFileTest, FirstOfTwoEqualNamesWins) {
  std::vector<uint8_t> bytes;
  Put32(&bytes, 2);
  const uint32_t directory = 4 + 2 * (8 + 6);
  Put32(&bytes, directory);
  Put32(&bytes, 5);
  PutName(&bytes, "A.bmp");
  Put32(&bytes, directory + 5);
  Put32(&bytes, 6);
  PutName(&bytes, "a.BMP");
  PutName(&bytes, "firstsecond", false);
  ASSERT_TRUE(pack.OpenPack(packtest::WriteTemp("dup.dat", bytes).c_str()));
  EXPECT_EQ(pack.entryCount, 2u);
  for (const char* request : {"a.bmp", "A.BMP", "a.BMP"}) {
    EXPECT_EQ(Extract(request).Text(), "first") << request;
  }
  EXPECT_TRUE(reports.empty());
}

TEST_F(PackFileTest, EmptyDirectoryReportsEveryRequestLowerCased) {
  ASSERT_TRUE(pack.OpenPack(WritePack({}).c_str()));
  EXPECT_EQ(pack.entryCount, 0u);
  EXPECT_TRUE(reports.empty());
  Owned data = Extract("!Textures\\NAPIS.jpg");
  ASSERT_NE(data.data, nullptr);
  EXPECT_EQ(data.size, 0u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "!textures\\napis.jpg");
}

TEST_F(PackFileTest, FortyEightCharacterNameIsReadWholeAndTheNextRecordFollows) {
  const std::string name48(48, 'N');
  const std::string path = WritePack({{name48, "long"}, {"next", "after"}});
  ASSERT_TRUE(pack.OpenPack(path.c_str()));
  ASSERT_EQ(pack.entryCount, 2u);
  EXPECT_EQ(std::string(pack.entries[0].entryName), name48);
  EXPECT_EQ(pack.entries[0].entryName[49], 0) << "one more NUL after the terminator";
  // The second record starts right after the first one's NUL (4 + 8 + 49); its data follows
  // the directory and the first entry's 4 bytes.
  EXPECT_EQ(pack.entries[1].dataOffset, 4u + (8 + 49) + (8 + 5) + 4);
  EXPECT_EQ(Extract(std::string(48, 'n').c_str()).Text(), "long");
  EXPECT_EQ(Extract("NEXT").Text(), "after");
  EXPECT_TRUE(reports.empty());
}

TEST_F(PackFileTest, OverlongNamesAreNeverFoundButKeepTheDirectoryInStep) {
  const std::string name49(49, 'x');
  std::vector<uint8_t> bytes;
  Put32(&bytes, 2);
  const uint32_t data = 4 + 8 + 50 + 8 + 5;
  Put32(&bytes, data);
  Put32(&bytes, 3);
  PutName(&bytes, name49);
  Put32(&bytes, data + 3);
  Put32(&bytes, 4);
  PutName(&bytes, "next");
  PutName(&bytes, "badgood", false);
  ASSERT_TRUE(pack.OpenPack(packtest::WriteTemp("long.dat", bytes).c_str()));
  ASSERT_EQ(pack.entryCount, 2u);
  EXPECT_TRUE(reports.empty()) << "an overlong name is not damage";
  EXPECT_EQ(Extract("next").Text(), "good");
  // Neither the whole name nor its first 48 characters reach the entry.
  for (const std::string& request : {name49, std::string(48, 'x')}) {
    reports.clear();
    EXPECT_EQ(Extract(request.c_str()).size, 0u);
    EXPECT_EQ(reports.size(), 1u);
  }
}

TEST_F(PackFileTest, RequestsLongerThan255CharactersAreCut) {
  ASSERT_TRUE(pack.OpenPack(WritePack({{"a", "x"}}).c_str()));
  const std::string request(300, 'Q');
  EXPECT_EQ(Extract(request.c_str()).size, 0u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::string(255, 'q'));
}

TEST_F(PackFileTest, ZeroSizeEntriesAreDistinctEmptyBuffers) {
  ASSERT_TRUE(pack.OpenPack(WritePack({{"empty1", ""}, {"empty2", ""}}).c_str()));
  Owned first = Extract("empty1");
  Owned second = Extract("empty2");
  EXPECT_EQ(first.size, 0u);
  EXPECT_EQ(second.size, 0u);
  ASSERT_NE(first.data, nullptr);
  EXPECT_NE(first.data, second.data);
  EXPECT_TRUE(reports.empty());
}

TEST_F(PackFileTest, LastSizeAndLastDataDescribeTheLatestExtraction) {
  ASSERT_TRUE(pack.OpenPack(WritePack({{"one", "12345"}, {"two", "ab"}}).c_str()));
  Owned first = Extract("one");
  EXPECT_EQ(pack.lastSize, 5u);
  Owned second = Extract("two");
  EXPECT_EQ(pack.lastSize, 2u);
  EXPECT_EQ(pack.lastData, second.data);
  EXPECT_EQ(first.Text(), "12345");
  EXPECT_EQ(second.Text(), "ab");
  // A miss afterwards leaves an empty buffer in their place.
  Owned missing = Extract("three");
  EXPECT_EQ(pack.lastSize, 0u);
  EXPECT_EQ(pack.lastData, missing.data);
}

TEST_F(PackFileTest, UnopenablePackFailsWithOneReportNamingPathAndReason) {
  const std::string path = (packtest::TempFolder() / "absent.dat").string();
  EXPECT_FALSE(pack.OpenPack(path.c_str()));
  EXPECT_FALSE(pack.IsOpen());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(path), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("No such file"), std::string::npos) << reports[0];
  EXPECT_EQ(pack.entryCount, 0u);

  // A folder opens on some systems but cannot be read: the same outcome.
  reports.clear();
  const std::string folder = packtest::TempFolder().string();
  EXPECT_FALSE(pack.OpenPack(folder.c_str()));
  EXPECT_FALSE(pack.IsOpen());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(folder), std::string::npos) << reports[0];
}

// Damaged and lying packs: each is reported, the readable part stays usable, none crashes.
TEST_F(PackFileTest, DamagedPacksAreReportedAndKeepWhatWasRead) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t openReports;      // reports while reading the directory
    DWORD usableEntries;
    const char* request;     // extracted after opening, if any
    std::string expected;    // its bytes
    const char* extractReport;  // text the extraction reports, if any
  };
  auto pack1 = [](uint32_t count, uint32_t offset, uint32_t size, const std::string& name,
                  bool terminate, const std::string& payload) {
    std::vector<uint8_t> bytes;
    Put32(&bytes, count);
    Put32(&bytes, offset);
    Put32(&bytes, size);
    PutName(&bytes, name, terminate);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
  };
  const uint32_t at = 4 + 8 + 2;  // payload offset after one record named "a"
  Case cases[] = {
      {"no count at all", {1, 0}, 1, 0, nullptr, "", nullptr},
      {"count larger than the file", pack1(1000000, at, 3, "a", true, "xyz"), 1, 1, "a", "xyz",
       nullptr},
      {"count 0xFFFFFFFF", pack1(0xFFFFFFFF, at, 3, "a", true, "xyz"), 1, 1, "a", "xyz", nullptr},
      {"name without NUL", pack1(1, 0, 0, "abcdef", false, ""), 1, 0, nullptr, "", nullptr},
      {"record cut short", {1, 0, 0, 0, 5, 0}, 1, 0, nullptr, "", nullptr},
      {"offset past the end", pack1(1, 5000, 4, "a", true, "xyz"), 0, 1, "a",
       std::string(4, '\0'), "ends inside the entry"},
      {"entry running past the end", pack1(1, at, 6, "a", true, "xyz"), 0, 1, "a",
       std::string("xyz\0\0\0", 6), "3 of 6 bytes"},
      {"offset 0x80000000", pack1(1, 0x80000000, 3, "a", true, "xyz"), 0, 1, "a",
       std::string(3, '\0'), "PosError"},
      {"offset 0xFFFFFFFF", pack1(1, 0xFFFFFFFF, 2, "a", true, "xyz"), 0, 1, "a",
       std::string(2, '\0'), "PosError"},
      {"size 0xFFFFFFFF", pack1(1, at, 0xFFFFFFFF, "a", true, "xyz"), 0, 1, "a", "",
       "more than can be loaded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reports.clear();
    PackFile damaged(Record);
    ASSERT_TRUE(damaged.OpenPack(packtest::WriteTemp("damaged.dat", c.bytes).c_str()));
    EXPECT_EQ(reports.size(), c.openReports);
    if (c.openReports) {
      EXPECT_NE(reports[0].find("damaged.dat"), std::string::npos) << reports[0];
    }
    EXPECT_EQ(damaged.entryCount, c.usableEntries);
    if (!c.request) continue;
    reports.clear();
    unsigned char* data = damaged.Extract(c.request);
    std::string got(reinterpret_cast<char*>(data), damaged.lastSize);
    delete[] data;
    EXPECT_EQ(got, c.expected);
    if (c.extractReport) {
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_NE(reports[0].find(c.extractReport), std::string::npos) << reports[0];
    } else {
      EXPECT_TRUE(reports.empty());
    }
  }
}

TEST_F(PackFileTest, ExtractFromPackUsesTheDemoPack) {
  // The demo's pack reports through the error box, so only a hit is exercised here.
  ASSERT_TRUE(packFile.OpenPack(WritePack({{"Tarsk.mp3", "ID3"}}).c_str()));
  unsigned char* data = ExtractFromPack("tarsk.MP3");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), packFile.lastSize), "ID3");
  delete[] data;
}

}  // namespace
