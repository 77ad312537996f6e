// The pack reader: one file holding every asset, a directory of named entries read once,
// and entries copied into fresh buffers on request.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

// The longest name a directory record may hold; its buffer keeps the NUL and one more.
constexpr int kPackNameLength = 48;
constexpr int kPackNameBufferSize = kPackNameLength + 2;
// Requested names are compared through a buffer of this size, so longer requests are cut.
constexpr int kPackLookupBufferSize = 256;

struct PackEntry {
  DWORD dataOffset = 0;
  DWORD dataSize = 0;
  const char* entryName = nullptr;
};

class PackFile {
 public:
  // Where the reader's reports go: the error box in the demo, a recorder in tests.
  using ErrorReporter = void (*)(const char* text);

  PackFile();
  explicit PackFile(ErrorReporter report);
  virtual ~PackFile();

  // Reads the directory. False only when the file cannot be opened (reported once, with the
  // path and the reason): the demo has nothing to show then. A directory that ends early is
  // reported once; the entries read before the damage are kept and true is returned.
  bool OpenPack(const char* path);
  bool IsOpen() const { return opened; }

  // First entry whose name equals `name` ignoring the case of A-Z. A miss shows the
  // lower-cased name and leaves `entry` as it was.
  bool FindEntry(const char* name, PackEntry* entry);

  // A new[] buffer of exactly the entry's size holding its bytes; the caller delete[]s it.
  // A missing entry yields a zero-length buffer and lastSize 0. Bytes the file does not hold
  // (an entry running past its end, or an offset no seek can reach) read as zero.
  unsigned char* Extract(const char* name);

  std::string packPath;
  DWORD entryCount = 0;
  std::vector<PackEntry> entries;
  DWORD lastSize = 0;
  unsigned char* lastData = nullptr;

 private:
  void Report(const std::string& text) const;
  unsigned char* ExtractEntry(const char* name, const PackEntry& entry);

  ErrorReporter report;
  bool opened = false;
  // Storage behind entries[i].entryName, and whether the stored name was longer than a
  // record may hold (such an entry keeps its place but is never found).
  std::vector<std::unique_ptr<char[]>> nameBuffers;
  std::vector<bool> nameTooLong;
};

// The one pack of the demo, opened by content loading.
extern PackFile packFile;

// Extract on the demo's pack.
unsigned char* ExtractFromPack(const char* name);
