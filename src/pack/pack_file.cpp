#include "pack/pack_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/error_box.h"

PackFile packFile;

unsigned char* ExtractFromPack(const char* name) { return packFile.Extract(name); }

namespace {

// No asset of the demo comes near this; a directory claiming more is damaged, and honouring
// it would only allocate and zero-fill memory for bytes the file does not hold.
constexpr DWORD kMaxEntrySize = 256u << 20;

// Every directory record holds two 32-bit fields and at least the name's NUL.
constexpr long long kSmallestRecord = 9;

DWORD ReadLittleEndian32(const unsigned char* bytes) {
  return DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
}

// Plain ASCII lower-casing: only A-Z change, bytes of 128 and above stay as they are.
void LowerInto(const char* text, char (&buffer)[kPackLookupBufferSize]) {
  std::memset(buffer, 0, sizeof buffer);
  for (int i = 0; text[i] != 0 && i < kPackLookupBufferSize - 1; ++i) {
    char c = text[i];
    buffer[i] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

PackFile::PackFile() : report(ShowError) {}

PackFile::PackFile(ErrorReporter report) : report(report) {}

// The demo's pack lives until the process ends; nothing to give back early.
PackFile::~PackFile() {}

void PackFile::Report(const std::string& text) const {
  if (report) {
    report(text.c_str());
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

bool PackFile::OpenPack(const char* path) {
  packPath = path ? path : "";
  entries.clear();
  nameBuffers.clear();
  nameTooLong.clear();
  entryCount = 0;
  opened = false;

  File file(std::fopen(packPath.c_str(), "rb"));
  if (!file) {
    Report("Cannot open the pack \"" + packPath + "\": " + std::strerror(errno));
    return false;
  }
  opened = true;

  long long fileSize = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) fileSize = std::ftell(file.get());
  std::fseek(file.get(), 0, SEEK_SET);

  unsigned char countBytes[4];
  if (std::fread(countBytes, 1, 4, file.get()) != 4) {
    if (std::ferror(file.get())) {
      // Opened but unreadable (a folder, say): no more use than a missing pack.
      Report("Cannot read the pack \"" + packPath + "\": " + std::strerror(errno));
      opened = false;
      return false;
    }
    Report("The pack \"" + packPath + "\" is too short to hold a directory");
    return true;
  }
  const DWORD count = ReadLittleEndian32(countBytes);

  // The count comes from the file: reserve only what the file could possibly hold.
  if (fileSize > 4) {
    long long possible = (fileSize - 4) / kSmallestRecord;
    entries.reserve(size_t(possible < count ? possible : count));
  }

  std::string damage;
  for (DWORD i = 0; i < count; ++i) {
    unsigned char head[8];
    if (std::fread(head, 1, 8, file.get()) != 8) {
      damage = "its directory ends after " + std::to_string(i) + " of " + std::to_string(count) +
               " entries";
      break;
    }
    auto name = std::make_unique<char[]>(kPackNameBufferSize);  // zeroed: NUL and one more
    long long length = 0;
    bool terminated = false;
    for (int c; (c = std::getc(file.get())) != EOF; ++length) {
      if (c == 0) {
        terminated = true;
        break;
      }
      if (length < kPackNameLength) name[length] = char(c);
    }
    if (!terminated) {
      damage = "it ends inside the name of entry " + std::to_string(i + 1) + " of " +
               std::to_string(count);
      break;
    }
    PackEntry entry;
    entry.dataOffset = ReadLittleEndian32(head);
    entry.dataSize = ReadLittleEndian32(head + 4);
    entry.entryName = name.get();
    entries.push_back(entry);
    nameBuffers.push_back(std::move(name));
    nameTooLong.push_back(length > kPackNameLength);
  }
  entryCount = DWORD(entries.size());
  if (!damage.empty()) {
    Report("The pack \"" + packPath + "\" is damaged: " + damage + "; " +
           std::to_string(entryCount) + " entries are usable");
  }
  return true;
}

bool PackFile::FindEntry(const char* name, PackEntry* entry) {
  char wanted[kPackLookupBufferSize];
  LowerInto(name ? name : "", wanted);
  char candidate[kPackLookupBufferSize];
  for (size_t i = 0; i < entries.size(); ++i) {
    if (nameTooLong[i]) continue;
    LowerInto(entries[i].entryName, candidate);
    if (std::strcmp(wanted, candidate) == 0) {
      if (entry) *entry = entries[i];
      return true;
    }
  }
  Report(wanted);
  return false;
}

unsigned char* PackFile::Extract(const char* name) {
  PackEntry entry;
  unsigned char* data = nullptr;
  if (FindEntry(name, &entry)) {
    data = ExtractEntry(name, entry);
  } else {
    data = new unsigned char[0];
    lastSize = 0;
  }
  lastData = data;
  return data;
}

unsigned char* PackFile::ExtractEntry(const char* name, const PackEntry& entry) {
  const std::string quoted = std::string("\"") + name + "\"";
  unsigned char* data = nullptr;
  if (entry.dataSize <= kMaxEntrySize) data = new (std::nothrow) unsigned char[entry.dataSize];
  if (!data) {
    Report("The pack entry " + quoted + " claims " + std::to_string(entry.dataSize) +
           " bytes, more than can be loaded");
    lastSize = 0;
    return new unsigned char[0];
  }
  lastSize = entry.dataSize;

  size_t got = 0;
  File file(std::fopen(packPath.c_str(), "rb"));
  if (!file) {
    Report("Cannot open the pack \"" + packPath + "\": " + std::strerror(errno));
  } else if (int32_t(entry.dataOffset) < 0 ||
             std::fseek(file.get(), long(int32_t(entry.dataOffset)), SEEK_SET) != 0) {
    // The offset goes to the seek as a signed 32-bit number; nothing is read after a failed
    // seek, so the entry does not pick up bytes from wherever the file happened to be.
    Report("PosError");
  } else {
    got = std::fread(data, 1, entry.dataSize, file.get());
    if (got < entry.dataSize) {
      Report("The pack \"" + packPath + "\" ends inside the entry " + quoted + ": " +
             std::to_string(got) + " of " + std::to_string(entry.dataSize) + " bytes read");
    }
  }
  if (got < entry.dataSize) std::memset(data + got, 0, entry.dataSize - got);
  return data;
}
