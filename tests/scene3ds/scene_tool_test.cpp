// The scene inspector as a user runs it: exit status, standard output and
// the engine.log it leaves in the current folder.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pack/pack_file.h"
#include "pack_writer.h"
#include "scene3ds/read_3ds.h"
#include "scene_test_support.h"

using namespace writer3ds;

namespace {

class SceneToolTest : public SceneReadTest {
 protected:
  // Runs the tool in the test's folder; returns its exit status.
  int Run(const std::string& arguments, std::string* out) {
    const std::string command = std::string(VANTREL_SCENE_TOOL) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(SceneToolTest, SummarisesAFileAndLeavesTheLog) {
  Mesh mesh = TriangleMesh("box");
  writer3ds::Material material;
  material.name = "wood";
  material.textureMap = MapDesc{"WOOD.TGA"};
  ASSERT_TRUE(SaveFile("scene.3ds", WriteMeshFile(mesh, material, {1, 2, 3})));
  std::string out;
  ASSERT_EQ(Run("scene.3ds", &out), 0);
  EXPECT_NE(out.find("\"box\" node 0 parent 65535: 3 vertices, 1 faces, pivot (1, 3, 2)"), std::string::npos) << out;
  EXPECT_NE(out.find("texture \"WOOD.jpg\""), std::string::npos) << out;
  EXPECT_NE(out.find("keys: position 1, rotation 1, scale 1"), std::string::npos) << out;
  EXPECT_NE(out.find("animation segment: 0 to 100"), std::string::npos) << out;
  EXPECT_NE(Log().find(Crlf("OBJECT name: box \n")), std::string::npos);
}

TEST_F(SceneToolTest, FatalFormatErrorEndsWithStatusTwo) {
  ASSERT_TRUE(SaveFile("bad.3ds", EditorFile([](Writer& w) {
                         w.Begin(kObject);
                         w.Text("lamp");
                         w.Begin(kLight);
                         w.Point({0, 0, 0});
                         w.Chunk(0x4659, {0, 0, 0, 0});
                       })));
  std::string out;
  EXPECT_EQ(Run("bad.3ds", &out), 2);
  EXPECT_EQ(out.substr(out.size() - 25), "Error in light chunk !! \n");
}

// A pack holding a scene under the demo's own kind of name.
void WriteScenePack(const char* path) {
  vantrel::pack::PackWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Add("!textures\\napis.jpg", {1, 2, 3}, &error)) << error;
  ASSERT_TRUE(writer.Add("Objs\\room.3ds", WriteMeshFile(TriangleMesh("room"), std::nullopt, {0, 0, 1}), &error))
      << error;
  ASSERT_TRUE(writer.Write(path, &error)) << error;
}

TEST_F(SceneToolTest, ReadsAnEntryOfAPack) {
  WriteScenePack("Vantrel.dat");
  std::string out;
  ASSERT_EQ(Run("--pack Vantrel.dat 'OBJS\\ROOM.3DS'", &out), 0);
  EXPECT_NE(out.find("\"room\" node 0 parent 65535: 3 vertices, 1 faces, pivot (0, 1, 0)"), std::string::npos) << out;
  EXPECT_NE(Log().find(Crlf("OBJECT name: room \n")), std::string::npos);
  out.clear();
  EXPECT_EQ(Run("--pack Vantrel.dat 'Objs\\none.3ds'", &out), 1);
  EXPECT_EQ(Run("--pack missing.dat 'Objs\\room.3ds'", &out), 1);
  EXPECT_EQ(Run("--pack Vantrel.dat", &out), 1);
}

TEST_F(SceneToolTest, DemoReadsItsScenesFromThePack) {
  WriteScenePack("Vantrel.dat");
  ASSERT_TRUE(packFile.OpenPack("Vantrel.dat"));
  Scene* scene = CreateScene();
  scenes_.push_back(scene);
  EXPECT_EQ(Read3dsFile("Objs\\room.3ds", scene), 1);
  ASSERT_EQ(scene->objectCount, 1);
  EXPECT_STREQ(scene->objects->name, "room");
  EXPECT_EQ(scene->objects->pivot.y, 1.0f);
  EXPECT_EQ(scene->lastFrame, 100u);
}

TEST_F(SceneToolTest, SummarisesEveryRealWorldFile) {
  const std::filesystem::path folder = VANTREL_TESTDATA_3DS;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no " << folder;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::filesystem::remove("engine.log");
    std::string out;
    EXPECT_EQ(Run("'" + entry.path().string() + "'", &out), 0) << entry.path();
    EXPECT_NE(out.find("animation segment: "), std::string::npos) << entry.path();
    EXPECT_TRUE(std::filesystem::exists("engine.log")) << entry.path();
    ++files;
  }
  EXPECT_GE(files, 23);
}

TEST_F(SceneToolTest, HelpAndUsageErrors) {
  std::string out;
  EXPECT_EQ(Run("--help", &out), 0);
  EXPECT_NE(out.find("Usage: vantrel-scene"), std::string::npos);
  out.clear();
  EXPECT_EQ(Run("missing.3ds", &out), 1);
  EXPECT_EQ(Run("", &out), 1);
  EXPECT_EQ(Run("--bogus x.3ds", &out), 1);
}

}  // namespace
