#include "pack_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "pack_test_util.h"

namespace {

using namespace vantrel::pack;
using packtest::Bytes;
using packtest::Put32;
using packtest::PutName;

TEST(PackWriter, LaysOutCountDirectoryThenDataInOrder) {
  PackWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Add("b\\second", Bytes("22"), &error));
  ASSERT_TRUE(writer.Add("A", Bytes("1"), &error));
  ASSERT_TRUE(writer.Add("empty", {}, &error));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(writer.Build(&bytes, &error)) << error;

  std::vector<uint8_t> expected;
  Put32(&expected, 3);
  const uint32_t data = 4 + (8 + 9) + (8 + 2) + (8 + 6);
  Put32(&expected, data);
  Put32(&expected, 2);
  PutName(&expected, "b\\second");
  Put32(&expected, data + 2);
  Put32(&expected, 1);
  PutName(&expected, "A");
  Put32(&expected, data + 3);
  Put32(&expected, 0);
  PutName(&expected, "empty");
  PutName(&expected, "221", false);
  EXPECT_EQ(bytes, expected);
}

TEST(PackWriter, RefusesNamesTheDemoCouldNotReach) {
  struct Case {
    std::string name;
    const char* reason;
  } cases[] = {
      {"", "empty"},
      {std::string(49, 'x'), "49 characters"},
      {"tab\there", "control character"},
      {std::string("nul\0x", 5), "control character"},
      {"OBJS\\ROOM.3DS", "repeats"},
  };
  PackWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Add("Objs\\room.3ds", {}, &error));
  ASSERT_TRUE(writer.Add(std::string(48, 'x'), {}, &error));
  for (const Case& c : cases) {
    error.clear();
    EXPECT_FALSE(writer.Add(c.name, {}, &error)) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  EXPECT_EQ(writer.EntryCount(), 2u);
}

TEST(PackWriter, ManifestNamesFilesRelativeToItsFolder) {
  const auto folder = packtest::TempFolder();
  std::filesystem::create_directories(folder / "art");
  packtest::WriteTemp("art/one.bin", Bytes("first"));
  const std::string absolute = packtest::WriteTemp("two.bin", Bytes("second"));
  std::ofstream(folder / "list.txt") << "# comment line\r\n"
                                     << "!textures\\one.jpg\tart/one.bin\r\n"
                                     << "\n"
                                     << "Tarsk.mp3\t" << absolute << "\n";
  PackWriter writer;
  std::string error;
  ASSERT_TRUE(AddManifest(&writer, (folder / "list.txt").string(), &error)) << error;
  const std::string out = (folder / "out.dat").string();
  ASSERT_TRUE(writer.Write(out, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(out + ".part"));

  PackIndex index;
  ASSERT_TRUE(ReadPackIndex(out, &index, &error)) << error;
  EXPECT_TRUE(index.problems.empty());
  ASSERT_EQ(index.entries.size(), 2u);
  EXPECT_EQ(index.entries[0].name, "!textures\\one.jpg");
  EXPECT_EQ(index.entries[1].name, "Tarsk.mp3");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadEntryBytes(out, *FindIndexEntry(index, "tarsk.MP3"), &bytes, &error));
  EXPECT_EQ(bytes, Bytes("second"));
}

TEST(PackWriter, ManifestErrorsNameTheLine) {
  const auto folder = packtest::TempFolder();
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"ok\tlist.txt\nno tab here\n", "list.txt:2: expected entry-name<TAB>file"},
      {"a\tmissing.bin\n", "list.txt:1: cannot open"},
      {"a\t\n", "no file given"},
      {"a\tlist.txt\nA\tlist.txt\n", "list.txt:2: cannot add \"A\""},
  };
  for (const Case& c : cases) {
    std::ofstream(folder / "list.txt", std::ios::binary) << c.text;
    PackWriter writer;
    std::string error;
    EXPECT_FALSE(AddManifest(&writer, (folder / "list.txt").string(), &error)) << c.text;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
  std::string error;
  PackWriter writer;
  EXPECT_FALSE(AddManifest(&writer, (folder / "none.txt").string(), &error));
}

TEST(PackIndex, FlagsWhatWouldTroubleTheReader) {
  auto one = [](uint32_t count, uint32_t offset, uint32_t size, const std::string& name) {
    std::vector<uint8_t> bytes;
    Put32(&bytes, count);
    Put32(&bytes, offset);
    Put32(&bytes, size);
    PutName(&bytes, name);
    bytes.insert(bytes.end(), 4, 'z');
    return bytes;
  };
  const uint32_t at = 4 + 8 + 2;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* problem;  // null: sound
  } cases[] = {
      {"sound", one(1, at, 4, "a"), nullptr},
      {"short", {7}, "too short"},
      {"count beyond the directory", one(3, at, 4, "a"), "ends after 1 of 3"},
      {"past the end", one(1, at, 5, "a"), "run past the end"},
      {"unreachable offset", one(1, 0x80000000, 0, "a"), "cannot be reached"},
      {"long name", one(1, 0, 0, std::string(49, 'n')), "49 characters"},
      {"name without NUL", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'}, "inside the name"},
  };
  for (const Case& c : cases) {
    PackIndex index;
    std::string error;
    ASSERT_TRUE(ReadPackIndex(packtest::WriteTemp("p.dat", c.bytes), &index, &error)) << c.what;
    if (!c.problem) {
      EXPECT_TRUE(index.problems.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(index.problems.size(), 1u) << c.what;
    EXPECT_NE(index.problems[0].find(c.problem), std::string::npos) << index.problems[0];
  }
}

// The tool end to end: build from a folder's manifest, list, extract every entry back.
TEST(PackTool, BuildListExtractRoundTripsAFolder) {
  const auto folder = packtest::TempFolder();
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"Objs\\room.3ds", {0x4D, 0x4D, 0, 0, 0, 0}},
      {"!textures\\napis.jpg", {}},
      {"numbers\\0.bmp", {}},
      {"Tarsk.mp3", {}},
  };
  for (int i = 0; i < 70000; ++i) files[2].second.push_back(uint8_t(i * 7 + (i >> 8)));
  files[1].second.assign(256, 0);
  for (int i = 0; i < 256; ++i) files[1].second[i] = uint8_t(i);
  {
    std::ofstream manifest(folder / "manifest.txt", std::ios::binary);
    for (size_t i = 0; i < files.size(); ++i) {
      packtest::WriteTemp("file" + std::to_string(i), files[i].second);
      manifest << files[i].first << "\tfile" << i << "\n";
    }
  }
  const std::string tool = VANTREL_PACK_TOOL;
  const std::string pack = (folder / "out.dat").string();
  auto run = [&](const std::string& args) {
    return std::system(("\"" + tool + "\" " + args + " > \"" + (folder / "stdout.txt").string() +
                        "\" 2>&1")
                           .c_str());
  };
  auto output = [&] {
    std::ifstream in(folder / "stdout.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  ASSERT_EQ(run("build \"" + pack + "\" \"" + (folder / "manifest.txt").string() + "\""), 0)
      << output();
  ASSERT_EQ(run("list \"" + pack + "\""), 0) << output();
  const std::string listing = output();
  size_t lines = 0;
  for (char c : listing) lines += c == '\n';
  EXPECT_EQ(lines, files.size());
  EXPECT_NE(listing.find("numbers\\0.bmp\t"), std::string::npos) << listing;
  EXPECT_EQ(run("verify \"" + pack + "\""), 0) << output();

  for (size_t i = 0; i < files.size(); ++i) {
    const std::string out = (folder / ("back" + std::to_string(i))).string();
    ASSERT_EQ(run("extract \"" + pack + "\" \"" + files[i].first + "\" -o \"" + out + "\""), 0)
        << output();
    std::vector<uint8_t> back;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(out, &back, &error)) << error;
    EXPECT_EQ(back, files[i].second) << files[i].first;
  }
  EXPECT_NE(run("extract \"" + pack + "\" nothing -o \"" + (folder / "x").string() + "\""), 0);
  EXPECT_NE(run("frobnicate"), 0);
  EXPECT_EQ(run("--help"), 0);
  EXPECT_NE(output().find("build OUT.dat MANIFEST"), std::string::npos);

  // A damaged pack fails verification.
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadFileBytes(pack, &bytes, &error)) << error;
  bytes.resize(bytes.size() - 1);
  const std::string cut = packtest::WriteTemp("cut.dat", bytes);
  EXPECT_NE(run("verify \"" + cut + "\""), 0);
  EXPECT_NE(output().find("run past the end"), std::string::npos) << output();
}

}  // namespace
