#include "scene_test_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "scene3ds/fatal_error.h"
#include "scene3ds/read_3ds.h"

namespace {

void ThrowFatal(const char* line) { throw FatalStop{line}; }

}  // namespace

void SceneReadTest::SetUp() {
  char current[4096];
  ASSERT_NE(getcwd(current, sizeof current), nullptr);
  previousFolder_ = current;
  // Memory-backed when there is one: the reader recreates its log for
  // every file, and the damaged-file tables read thousands of them.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string patternText = std::string(base) + "/vantrel-scene3ds-XXXXXX";
  std::vector<char> pattern(patternText.begin(), patternText.end());
  pattern.push_back(0);
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern.data();
  ASSERT_EQ(chdir(folder_.c_str()), 0);
  SetFatalErrorHandler(ThrowFatal);
}

void SceneReadTest::TearDown() {
  SetFatalErrorHandler(nullptr);
  for (Scene* scene : scenes_) ReleaseScene(scene);
  if (chdir(previousFolder_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previousFolder_;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

Scene* SceneReadTest::Read(const std::vector<uint8_t>& bytes) {
  Scene* scene = CreateScene();
  scenes_.push_back(scene);
  EXPECT_EQ(Read3dsImage(bytes.data(), static_cast<DWORD>(bytes.size()), scene), 1);
  return scene;
}

std::string SceneReadTest::ReadExpectingFatal(const std::vector<uint8_t>& bytes) {
  Scene* scene = CreateScene();
  scenes_.push_back(scene);
  try {
    Read3dsImage(bytes.data(), static_cast<DWORD>(bytes.size()), scene);
  } catch (const FatalStop& stop) {
    return stop.line;
  }
  return "";
}

std::string SceneReadTest::Log() const {
  std::ifstream file("engine.log", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

writer3ds::Mesh TriangleMesh(const std::string& name) {
  writer3ds::Mesh mesh;
  mesh.name = name;
  mesh.vertices = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
  mesh.faces = {{0, 1, 2}};
  return mesh;
}

int CountObjects(const Scene* scene) {
  int n = 0;
  for (const SceneObject* o = scene->objects; o; o = o->next) ++n;
  return n;
}

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
