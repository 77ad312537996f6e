#include "test_files.h"

#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TestDataPath(const std::string& relative) { return std::string(VANTREL_TESTDATA_DIR) + "/" + relative; }
