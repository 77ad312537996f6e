// Writing and inspecting pack files: the build and the content tools assemble the demo's pack
// with PackWriter; the pack tool lists, extracts and verifies with ReadPackIndex.
//
// Layout (little-endian): entry count, then one record per entry (32-bit data offset, 32-bit
// data size, name bytes and a NUL), then the entries' bytes in the order they were added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::pack {

// The demo's reader keeps at most this many name characters.
constexpr size_t kMaxNameLength = 48;

// Why a name cannot go into a pack (empty, too long, holding a control character),
// or an empty string when it can.
std::string CheckEntryName(const std::string& name);

// The demo looks names up ignoring the case of A-Z only.
std::string LowerAscii(const std::string& text);

class PackWriter {
 public:
  // Adds an entry after the ones already added. Refuses (false, with the reason in *error)
  // a malformed name, or one equal ignoring case to an earlier entry, which the demo could
  // never reach.
  bool Add(const std::string& name, std::vector<uint8_t> data, std::string* error);
  bool AddFile(const std::string& name, const std::string& path, std::string* error);

  // The whole pack in memory. False when it would outgrow the 31-bit offsets the reader seeks to.
  bool Build(std::vector<uint8_t>* out, std::string* error) const;
  // Writes the pack next to `path` and renames it into place, so a failed build never leaves
  // a half-written pack behind.
  bool Write(const std::string& path, std::string* error) const;

  size_t EntryCount() const { return entries.size(); }

 private:
  struct Entry {
    std::string name;
    std::vector<uint8_t> data;
  };
  std::vector<Entry> entries;
};

// Adds every `entry-name<TAB>file` line of a manifest, in order. Files are relative to the
// manifest's folder unless absolute; blank lines and lines starting with '#' are skipped.
// Errors name the manifest line.
bool AddManifest(PackWriter* writer, const std::string& manifestPath, std::string* error);

struct IndexEntry {
  std::string name;
  uint32_t dataOffset = 0;
  uint32_t dataSize = 0;
};

struct PackIndex {
  std::vector<IndexEntry> entries;
  uint32_t declaredCount = 0;
  uint64_t fileSize = 0;
  // Everything that would trouble the demo's reader, one line each; empty for a sound pack.
  std::vector<std::string> problems;
};

// Reads a pack's directory without trusting it: every count, offset and name is checked
// against the bytes actually present. Only an unreadable file returns false.
bool ReadPackIndex(const std::string& path, PackIndex* index, std::string* error);

// The entry the demo would find for `name` (the first equal ignoring A-Z case), or null.
const IndexEntry* FindIndexEntry(const PackIndex& index, const std::string& name);

// The bytes of one entry; false when the file does not hold all of them.
bool ReadEntryBytes(const std::string& packPath, const IndexEntry& entry, std::vector<uint8_t>* out,
                    std::string* error);

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out, std::string* error);
bool WriteFileBytes(const std::string& path, const uint8_t* data, size_t size, std::string* error);

}  // namespace vantrel::pack
