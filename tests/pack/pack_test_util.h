// Shared by the pack tests: temporary files, byte builders and a recorder for reports.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

namespace packtest {

// Every test's files go under one folder per test program, removed when the program ends.
inline std::filesystem::path TempRoot() {
  return std::filesystem::temp_directory_path() / ("vantrel-pack-" + std::to_string(::getpid()));
}
inline struct TempRootRemover {
  ~TempRootRemover() {
    std::error_code ignored;
    std::filesystem::remove_all(TempRoot(), ignored);
  }
} tempRootRemover;

inline std::filesystem::path TempFolder() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path folder =
      TempRoot() / (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::create_directories(folder);
  return folder;
}

// The real-world images, when they are there.
inline std::string TestImages() { return std::string(VANTREL_TESTDATA) + "/images/"; }
inline bool HaveTestImages() { return std::filesystem::is_directory(TestImages()); }
#define SKIP_WITHOUT_TEST_IMAGES() \
  if (!packtest::HaveTestImages()) GTEST_SKIP() << "no " << packtest::TestImages()

inline std::string WriteTemp(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  const std::string path = (TempFolder() / fileName).string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  EXPECT_NE(file, nullptr) << path;
  if (file) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return path;
}

inline void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

inline void PutName(std::vector<uint8_t>* out, const std::string& name, bool terminate = true) {
  out->insert(out->end(), name.begin(), name.end());
  if (terminate) out->push_back(0);
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace packtest
