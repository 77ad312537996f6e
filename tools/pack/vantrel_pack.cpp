// vantrel-pack: builds, lists, extracts from and checks pack files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pack_writer.h"

namespace {

using namespace vantrel::pack;

const char kUsage[] =
    "Usage:\n"
    "  vantrel-pack build OUT.dat MANIFEST   pack the files a manifest names, in its order\n"
    "  vantrel-pack list PACK                 one line per entry: name, offset, size\n"
    "  vantrel-pack extract PACK NAME -o FILE copy one entry's bytes into FILE\n"
    "  vantrel-pack verify PACK               check every entry lies inside the file and\n"
    "                                         every name is well formed\n"
    "  vantrel-pack --help                    show this text\n"
    "\n"
    "A manifest holds one entry-name<TAB>file line per entry; files are relative to the\n"
    "manifest's folder, blank lines and lines starting with '#' are skipped. Names are looked\n"
    "up ignoring the case of A-Z, as the demo does.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vantrel-pack: %s\n", message.c_str());
  return 1;
}

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Build(const std::string& out, const std::string& manifest) {
  PackWriter writer;
  std::string error;
  if (!AddManifest(&writer, manifest, &error)) return Fail(error);
  if (!writer.Write(out, &error)) return Fail(error);
  std::printf("%s: %zu entries\n", out.c_str(), writer.EntryCount());
  return 0;
}

bool Load(const std::string& path, PackIndex* index) {
  std::string error;
  if (ReadPackIndex(path, index, &error)) return true;
  Fail(error);
  return false;
}

int List(const std::string& path) {
  PackIndex index;
  if (!Load(path, &index)) return 1;
  for (const IndexEntry& entry : index.entries) {
    std::printf("%s\t%u\t%u\n", entry.name.c_str(), entry.dataOffset, entry.dataSize);
  }
  for (const std::string& problem : index.problems) {
    std::fprintf(stderr, "vantrel-pack: %s: %s\n", path.c_str(), problem.c_str());
  }
  return index.problems.empty() ? 0 : 1;
}

int Extract(const std::string& path, const std::string& name, const std::string& out) {
  PackIndex index;
  if (!Load(path, &index)) return 1;
  const IndexEntry* entry = FindIndexEntry(index, name);
  if (!entry) return Fail("no entry \"" + name + "\" in " + path);
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadEntryBytes(path, *entry, &bytes, &error)) return Fail(error);
  if (!WriteFileBytes(out, bytes.data(), bytes.size(), &error)) return Fail(error);
  return 0;
}

int Verify(const std::string& path) {
  PackIndex index;
  if (!Load(path, &index)) return 1;
  for (const std::string& problem : index.problems) {
    std::printf("%s: %s\n", path.c_str(), problem.c_str());
  }
  if (!index.problems.empty()) {
    std::printf("%s: %zu problem(s)\n", path.c_str(), index.problems.size());
    return 1;
  }
  std::printf("%s: %zu entries, %llu bytes, sound\n", path.c_str(), index.entries.size(),
              static_cast<unsigned long long>(index.fileSize));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "build" && args.size() == 3) return Build(args[1], args[2]);
  if (command == "list" && args.size() == 2) return List(args[1]);
  if (command == "verify" && args.size() == 2) return Verify(args[1]);
  if (command == "extract" && args.size() == 5 && args[3] == "-o") {
    return Extract(args[1], args[2], args[4]);
  }
  std::fprintf(stderr, "vantrel-pack: cannot understand the arguments\n");
  return Usage();
}
