// Files made by other people's exporters, with the facts measured for them
// independently of this reader.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "scene3ds/read_3ds.h"
#include "scene_test_support.h"

namespace {

class RealFileTest : public SceneReadTest {
 protected:
  Scene* ReadFile(const std::string& name, std::string* fatal) {
    const std::string path = std::string(VANTREL_TESTDATA_3DS) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Scene* scene = CreateScene();
    scenes_.push_back(scene);
    try {
      Read3dsImage(bytes.data(), static_cast<DWORD>(bytes.size()), scene);
    } catch (const FatalStop& stop) {
      *fatal = stop.line;
    }
    return scene;
  }
};

struct Facts {
  const char* file;
  int meshes;             // mesh objects of the editor section
  DWORD firstVertices;    // of the first object; 0 where not measured
  DWORD firstFaces;
  DWORD totalVertices;    // over all mesh objects; 0 where not measured
  DWORD totalFaces;
  int cameras, spotLights;
};

const Facts kFacts[] = {
    {"assimp_CameraRollAnim.3ds", 1, 26, 12, 26, 12, 1, 0},
    {"assimp_CameraRollAnimWithChildObject.3ds", 2, 0, 0, 52, 24, 1, 0},
    {"assimp_RotatingCube.3DS", 1, 26, 12, 26, 12, 0, 0},
    {"assimp_TargetCameraAnim.3ds", 1, 0, 12, 0, 12, 1, 0},
    {"assimp_cube_with_diffuse_texture.3DS", 1, 32, 12, 32, 12, 0, 0},
    {"assimp_cube_with_specular_texture.3DS", 1, 32, 12, 32, 12, 0, 0},
    {"assimp_cubes_with_alpha.3DS", 5, 0, 0, 130, 60, 0, 0},
    {"assimp_fels.3ds", 1, 386, 768, 386, 768, 0, 0},
    {"assimp_test1.3ds", 9, 0, 0, 288, 108, 0, 0},
    {"assimpnonbsd_Granate.3DS", 2, 0, 0, 192, 376, 0, 0},
    {"assimpnonbsd_cart_wheel.3DS", 13, 0, 0, 720, 1400, 0, 0},
    {"assimpnonbsd_jeep1.3ds", 7, 0, 0, 1948, 2032, 0, 0},
    {"assimpnonbsd_mar_rifle.3ds", 1, 421, 572, 421, 572, 0, 0},
    {"assimpnonbsd_mp5_sil.3ds", 1, 256, 366, 256, 366, 0, 0},
    {"irrlicht_room.3ds", 4, 0, 0, 116, 156, 0, 0},
    {"irrlicht_sphere.3ds", 1, 10242, 20480, 10242, 20480, 0, 0},
    {"o3dv_cube_four_instances.3ds", 1, 0, 12, 0, 12, 0, 0},
    {"o3dv_cube_hierarchy.3ds", 1, 8, 12, 8, 12, 0, 0},
    {"ogrelib3ds_allemagne.3DS", 237, 0, 0, 19608, 15119, 0, 196},
    {"ogrelib3ds_indochine.3DS", 97, 0, 0, 0, 11093, 2, 0},
    {"ogrelib3ds_amphimath_pillars.3DS", 4, 0, 0, 300, 292, 0, 0},
    {"ogrelib3ds_cube.3ds", 1, 8, 12, 8, 12, 1, 0},
};

TEST_F(RealFileTest, EveryFileReadsWithItsMeasuredCounts) {
  if (!std::filesystem::is_directory(VANTREL_TESTDATA_3DS)) GTEST_SKIP() << "no " << VANTREL_TESTDATA_3DS;
  for (const Facts& facts : kFacts) {
    SCOPED_TRACE(facts.file);
    std::string fatal;
    Scene* scene = ReadFile(facts.file, &fatal);
    EXPECT_EQ(fatal, "");
    EXPECT_EQ(Log().find("Error in 3ds file"), std::string::npos);
    ASSERT_EQ(scene->objectCount, facts.meshes);
    ASSERT_NE(scene->objects, nullptr);
    if (facts.firstVertices) {
      EXPECT_EQ(scene->objects->vertexCount, facts.firstVertices);
    }
    if (facts.firstFaces) {
      EXPECT_EQ(scene->objects->faceCount, facts.firstFaces);
    }
    DWORD vertices = 0, faces = 0;
    int n = 0;
    for (const SceneObject* o = scene->objects; o && n < scene->objectCount; o = o->next, ++n) {
      vertices += o->vertexCount;
      faces += o->faceCount;
    }
    if (facts.totalVertices) {
      EXPECT_EQ(vertices, facts.totalVertices);
    }
    EXPECT_EQ(faces, facts.totalFaces);
    EXPECT_EQ(scene->cameraCount, facts.cameras);
    int spots = 0;
    for (const SpotLight* l = scene->spotLights; l; l = l->next) ++spots;
    EXPECT_EQ(spots, facts.spotLights);
  }
}

TEST_F(RealFileTest, TextThatIsNoSceneIsLoggedAsAnError) {
  if (!std::filesystem::is_directory(VANTREL_TESTDATA_3DS)) GTEST_SKIP() << "no " << VANTREL_TESTDATA_3DS;
  std::string fatal;
  Scene* scene = ReadFile("o3dv_wrong.3ds", &fatal);
  EXPECT_EQ(fatal, "");
  EXPECT_EQ(scene->objectCount, 0);
  EXPECT_NE(Log().find(Crlf("Error in 3ds file !!! \n")), std::string::npos);
}

TEST_F(RealFileTest, KeyframerFactsOfKnownFiles) {
  if (!std::filesystem::is_directory(VANTREL_TESTDATA_3DS)) GTEST_SKIP() << "no " << VANTREL_TESTDATA_3DS;
  std::string fatal;
  Scene* cube = ReadFile("ogrelib3ds_cube.3ds", &fatal);
  EXPECT_EQ(cube->lastFrame, 100u);
  EXPECT_EQ(cube->cameras->fovTrack.keyCount, 1u);
  EXPECT_GT(cube->cameras->positionTrack.keyCount, 1u);
  EXPECT_EQ(cube->cameras->targetTrack.keyCount, 1u);
  Scene* roll = ReadFile("assimp_CameraRollAnim.3ds", &fatal);
  EXPECT_EQ(roll->firstFrame, 0u);
  EXPECT_EQ(roll->lastFrame, 300u);
  // Without a segment chunk the keyframer pass reads no node.
  Scene* noSegment = ReadFile("assimpnonbsd_mp5_sil.3ds", &fatal);
  EXPECT_EQ(noSegment->objects->positionTrack.keyCount, 0u);
  Scene* spots = ReadFile("ogrelib3ds_allemagne.3DS", &fatal);
  int withHotspot = 0;
  for (const SpotLight* l = spots->spotLights; l; l = l->next) withHotspot += l->hotspotTrack.keyCount > 0;
  EXPECT_EQ(withHotspot, 196);
  EXPECT_EQ(fatal, "");
}

}  // namespace
