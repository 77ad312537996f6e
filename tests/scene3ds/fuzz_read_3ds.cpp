// libFuzzer target: the whole read of a 3DS file image, editor and keyframer
// sections and the load log. A fatal format error is an allowed outcome; any
// read outside the image, a crash, a leak or a face indexing past the
// vertices is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene3ds/fatal_error.h"
#include "scene3ds/read_3ds.h"
#include "scene3ds/scene.h"

namespace {

struct FatalStop {};

void ThrowFatal(const char*) { throw FatalStop{}; }

std::string folder;

void RemoveFolder() {
  if (folder.empty()) return;
  std::remove((folder + "/engine.log").c_str());
  rmdir(folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader writes engine.log in the current folder: give it one of its own.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string pattern = std::string(base) + "/vantrel-fuzz3ds-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (!mkdtemp(name.data()) || chdir(name.data()) != 0) {
    std::perror("fuzz_read_3ds: private folder");
    std::abort();
  }
  folder = name.data();
  std::atexit(RemoveFolder);
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();  // fatal lines
  SetFatalErrorHandler(ThrowFatal);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  Scene* scene = CreateScene();
  try {
    Read3dsImage(data, static_cast<DWORD>(size), scene);
  } catch (const FatalStop&) {
  }
  for (const SceneObject* o = scene->objects; o; o = o->next)
    for (DWORD f = 0; f < o->faceCount; ++f)
      if (o->faces[f].a >= o->vertexCount || o->faces[f].b >= o->vertexCount || o->faces[f].c >= o->vertexCount)
        __builtin_trap();
  ReleaseScene(scene);
  return 0;
}
