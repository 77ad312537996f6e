#include "pack_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace vantrel::pack {

namespace {

// Offsets reach the reader's seek as signed 32-bit numbers.
constexpr uint64_t kMaxPackSize = 0x7FFFFFFFu;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string LowerAscii(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return lower;
}

std::string CheckEntryName(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name.size() > kMaxNameLength) {
    return "the name has " + std::to_string(name.size()) + " characters, more than " +
           std::to_string(kMaxNameLength);
  }
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return "the name holds a control character";
  }
  return "";
}

bool PackWriter::Add(const std::string& name, std::vector<uint8_t> data, std::string* error) {
  std::string problem = CheckEntryName(name);
  if (problem.empty()) {
    const std::string lower = LowerAscii(name);
    for (const Entry& entry : entries) {
      if (LowerAscii(entry.name) == lower) {
        problem = "it repeats the entry " + Quoted(entry.name) + " (names ignore case)";
        break;
      }
    }
  }
  if (!problem.empty()) {
    *error = "cannot add " + Quoted(name) + ": " + problem;
    return false;
  }
  entries.push_back({name, std::move(data)});
  return true;
}

bool PackWriter::AddFile(const std::string& name, const std::string& path, std::string* error) {
  std::vector<uint8_t> data;
  if (!ReadFileBytes(path, &data, error)) return false;
  return Add(name, std::move(data), error);
}

bool PackWriter::Build(std::vector<uint8_t>* out, std::string* error) const {
  uint64_t directorySize = 4;
  uint64_t dataSize = 0;
  for (const Entry& entry : entries) {
    directorySize += 8 + entry.name.size() + 1;
    dataSize += entry.data.size();
  }
  if (directorySize + dataSize > kMaxPackSize) {
    *error = "the pack would hold " + std::to_string(directorySize + dataSize) +
             " bytes, more than the " + std::to_string(kMaxPackSize) + " a pack can address";
    return false;
  }
  out->clear();
  out->reserve(size_t(directorySize + dataSize));
  Put32(out, uint32_t(entries.size()));
  uint64_t offset = directorySize;
  for (const Entry& entry : entries) {
    Put32(out, uint32_t(offset));
    Put32(out, uint32_t(entry.data.size()));
    out->insert(out->end(), entry.name.begin(), entry.name.end());
    out->push_back(0);
    offset += entry.data.size();
  }
  for (const Entry& entry : entries) out->insert(out->end(), entry.data.begin(), entry.data.end());
  return true;
}

bool PackWriter::Write(const std::string& path, std::string* error) const {
  std::vector<uint8_t> bytes;
  if (!Build(&bytes, error)) return false;
  const std::string temporary = path + ".part";
  if (!WriteFileBytes(temporary, bytes.data(), bytes.size(), error)) {
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot rename " + Quoted(temporary) + " to " + Quoted(path) + ": " +
             std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool AddManifest(PackWriter* writer, const std::string& manifestPath, std::string* error) {
  std::ifstream manifest(manifestPath, std::ios::binary);
  if (!manifest) {
    *error = "cannot open the manifest " + Quoted(manifestPath) + ": " + std::strerror(errno);
    return false;
  }
  const std::filesystem::path base = std::filesystem::path(manifestPath).parent_path();
  std::string line;
  for (int lineNumber = 1; std::getline(manifest, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string where = manifestPath + ":" + std::to_string(lineNumber) + ": ";
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      *error = where + "expected entry-name<TAB>file";
      return false;
    }
    const std::string name = line.substr(0, tab);
    std::filesystem::path file = line.substr(tab + 1);
    if (file.empty()) {
      *error = where + "no file given for " + Quoted(name);
      return false;
    }
    if (file.is_relative()) file = base / file;
    std::string problem;
    if (!writer->AddFile(name, file.string(), &problem)) {
      *error = where + problem;
      return false;
    }
  }
  return true;
}

bool ReadPackIndex(const std::string& path, PackIndex* index, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes, error)) return false;
  *index = PackIndex();
  index->fileSize = bytes.size();
  auto problem = [&](const std::string& text) { index->problems.push_back(text); };
  if (bytes.size() < 4) {
    problem("the file is too short to hold an entry count");
    return true;
  }
  index->declaredCount = Get32(bytes.data());
  size_t at = 4;
  for (uint32_t i = 0; i < index->declaredCount; ++i) {
    if (bytes.size() - at < 8) {
      problem("the directory ends after " + std::to_string(i) + " of " +
              std::to_string(index->declaredCount) + " entries");
      break;
    }
    IndexEntry entry;
    entry.dataOffset = Get32(&bytes[at]);
    entry.dataSize = Get32(&bytes[at + 4]);
    at += 8;
    const void* nul = std::memchr(&bytes[at], 0, bytes.size() - at);
    if (!nul) {
      problem("the file ends inside the name of entry " + std::to_string(i + 1));
      break;
    }
    const size_t end = size_t(static_cast<const uint8_t*>(nul) - bytes.data());
    entry.name.assign(reinterpret_cast<const char*>(&bytes[at]), end - at);
    at = end + 1;
    const std::string label = "entry " + std::to_string(i + 1) + " " + Quoted(entry.name) + ": ";
    const std::string nameProblem = CheckEntryName(entry.name);
    if (!nameProblem.empty()) problem(label + nameProblem);
    if (entry.dataOffset > 0x7FFFFFFFu) {
      problem(label + "its offset " + std::to_string(entry.dataOffset) + " cannot be reached");
    } else if (uint64_t(entry.dataOffset) + entry.dataSize > bytes.size()) {
      problem(label + "its bytes " + std::to_string(entry.dataOffset) + "+" +
              std::to_string(entry.dataSize) + " run past the end of the file (" +
              std::to_string(bytes.size()) + " bytes)");
    }
    for (const IndexEntry& earlier : index->entries) {
      if (LowerAscii(earlier.name) == LowerAscii(entry.name)) {
        problem(label + "hidden behind the earlier entry " + Quoted(earlier.name));
        break;
      }
    }
    index->entries.push_back(std::move(entry));
  }
  return true;
}

const IndexEntry* FindIndexEntry(const PackIndex& index, const std::string& name) {
  const std::string lower = LowerAscii(name);
  for (const IndexEntry& entry : index.entries) {
    if (LowerAscii(entry.name) == lower) return &entry;
  }
  return nullptr;
}

bool ReadEntryBytes(const std::string& packPath, const IndexEntry& entry, std::vector<uint8_t>* out,
                    std::string* error) {
  File file(std::fopen(packPath.c_str(), "rb"));
  if (!file) {
    *error = "cannot open " + Quoted(packPath) + ": " + std::strerror(errno);
    return false;
  }
  if (entry.dataOffset > 0x7FFFFFFFu ||
      std::fseek(file.get(), long(entry.dataOffset), SEEK_SET) != 0) {
    *error = "cannot reach offset " + std::to_string(entry.dataOffset) + " in " + Quoted(packPath);
    return false;
  }
  out->resize(entry.dataSize);
  const size_t got = std::fread(out->data(), 1, out->size(), file.get());
  if (got != out->size()) {
    *error = "the entry " + Quoted(entry.name) + " runs past the end of " + Quoted(packPath) +
             ": " + std::to_string(got) + " of " + std::to_string(entry.dataSize) + " bytes";
    return false;
  }
  return true;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *error = "cannot open " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  out->clear();
  uint8_t chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    out->insert(out->end(), chunk, chunk + got);
  }
  if (std::ferror(file.get())) {
    *error = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool WriteFileBytes(const std::string& path, const uint8_t* data, size_t size, std::string* error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    *error = "cannot create " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  if (size > 0 && std::fwrite(data, 1, size, file.get()) != size) {
    *error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  std::FILE* raw = file.release();
  if (std::fclose(raw) != 0) {
    *error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace vantrel::pack
