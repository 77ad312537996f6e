// Where assembler input came from: preprocessed lines keep the file, line and column each
// character had before macro expansion, so errors point at what the author wrote.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace shasm {

struct SourceLine {
  std::string file;
  int line = 0;
  std::string text;
  std::vector<int> columns;  // 1-based source column of each character of text
  int ColumnAt(size_t index) const {
    if (columns.empty()) return 1;
    return index < columns.size() ? columns[index] : columns.back() + 1;
  }
};

struct Diagnostic {
  std::string file;
  int line = 0;
  int column = 0;
  std::string message;
  std::string ToString() const {
    return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": error: " + message;
  }
};

// Reads a whole file; false when it cannot be read.
using FileReader = std::function<bool(const std::string& path, std::string* contents)>;
bool ReadFileFromDisk(const std::string& path, std::string* contents);

}  // namespace shasm
