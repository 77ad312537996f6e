// Damaged files must never crash the reader or make it read outside the
// image; what came before the damage is kept and the log says so. This
// file is also built with the address and undefined-behaviour sanitizers.
#include <algorithm>
#include <cstring>
#include <memory>

#include "scene3ds/read_3ds.h"
#include "scene_test_support.h"

using namespace writer3ds;

namespace {

using writer3ds::RotationKey;
using writer3ds::ScalarKey;
using writer3ds::VectorKey;

class DamagedFileTest : public SceneReadTest {
 protected:
  // Reads from a buffer of exactly the image's size, so that a sanitizer
  // sees any read past its end. A fatal format error is an allowed outcome.
  Scene* ReadExact(const std::vector<uint8_t>& bytes, std::string* fatal = nullptr) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    Scene* scene = CreateScene();
    scenes_.push_back(scene);
    try {
      Read3dsImage(exact.get(), static_cast<DWORD>(bytes.size()), scene);
    } catch (const FatalStop& stop) {
      if (fatal) *fatal = stop.line;
    }
    return scene;
  }

  bool LogSaysDamaged() const { return Log().find("Error in 3ds file !!! ") != std::string::npos; }
};

std::vector<uint8_t> RichFile() {
  writer3ds::Material material;
  material.name = "mat";
  material.ambient = std::array<uint8_t, 3>{1, 2, 3};
  material.diffuse = std::array<uint8_t, 3>{4, 5, 6};
  material.shininess = 10;
  material.shininessStrength = 20;
  material.transparency = 30;
  material.textureMap = MapDesc{"tex.tga"};
  material.opacityMap = MapDesc{"op.bmp"};
  Mesh mesh;
  mesh.name = "mesh";
  mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}};
  mesh.faces = {{0, 1, 2}, {1, 3, 2}};
  mesh.groups = {{"mat", {0, 1}}};
  mesh.mapping = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  mesh.localAxes = std::array<Vec3, 4>{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{1, 2, 3}};
  return AnimatedFile(
      [&](Writer& w) {
        w.WriteMaterial(material);
        w.WriteMesh(mesh);
        w.WriteCamera({"cam"});
        w.WriteOmniLight({"lamp"});
        w.WriteSpotLight({"spot"});
        w.WriteMesh(TriangleMesh("tail"));
      },
      [](Writer& w) {
        MeshNode node;
        node.header = {0, "mesh", 0, 0, 0xFFFF};
        node.pivot = Vec3{1, 2, 3};
        node.position = std::vector<VectorKey>{{{0, kTension | kEaseFrom, 0.5f}, {1, 2, 3}}};
        node.rotation = std::vector<RotationKey>{{{0}, 1.0f, {0, 0, 1}}, {{5, kBias}, 2.0f, {1, 0, 0}}};
        node.scale = std::vector<VectorKey>{{{0}, {1, 1, 1}}};
        w.WriteMeshNode(node);
        CameraNode camera;
        camera.header = {1, "cam"};
        camera.position = {{{0}, {1, 2, 3}}};
        camera.fov = {{{0}, 45}};
        camera.roll = {{{0}, 0}};
        w.WriteCameraNode(camera);
        w.WriteCameraTargetNode({{2, "cam"}, {{{0}, {0, 0, 0}}}});
        OmniNode omni;
        omni.header = {3, "lamp"};
        omni.position = {{{0}, {1, 1, 1}}};
        w.WriteOmniNode(omni);
        SpotNode spot;
        spot.header = {4, "spot"};
        spot.position = {{{0}, {1, 1, 1}}};
        spot.colour = {{{0}, {1, 1, 1}}};
        spot.hotspot = {{{0}, 20}};
        spot.falloff = {{{0}, 40}};
        w.WriteSpotNode(spot);
        w.WriteSpotTargetNode({{5, "spot"}, {{{0}, {0, 0, 0}}}});
        MeshNode dummy;
        dummy.header = {6, "$$$DUMMY", 0, 0, 0};
        w.WriteMeshNode(dummy);
      });
}

TEST_F(DamagedFileTest, TheUndamagedFixtureReadsWhole) {
  Scene* scene = ReadExact(RichFile());
  EXPECT_FALSE(LogSaysDamaged()) << Log();
  EXPECT_EQ(scene->objectCount, 2);
  EXPECT_EQ(CountObjects(scene), 3);
  EXPECT_EQ(scene->objects->faceCount, 2u);
  EXPECT_EQ(scene->objects->rotationTrack.keyCount, 2u);
  EXPECT_EQ(scene->spotLights->falloffTrack.keyCount, 1u);
  EXPECT_EQ(scene->cameras->targetTrack.keyCount, 1u);
}

TEST_F(DamagedFileTest, TruncatedAtEveryLengthKeepsWhatCameBefore) {
  const std::vector<uint8_t> file = RichFile();
  int withFirstMesh = 0;
  for (size_t size = 0; size < file.size(); ++size) {
    std::string fatal;
    Scene* scene = ReadExact(std::vector<uint8_t>(file.begin(), file.begin() + size), &fatal);
    if (fatal.empty()) {
      EXPECT_TRUE(LogSaysDamaged()) << "cut at " << size;
    }
    for (const SceneObject* o = scene->objects; o; o = o->next) {
      for (DWORD f = 0; f < o->faceCount; ++f) {
        ASSERT_LT(o->faces[f].a, o->vertexCount) << "cut at " << size;
        ASSERT_LT(o->faces[f].b, o->vertexCount) << "cut at " << size;
        ASSERT_LT(o->faces[f].c, o->vertexCount) << "cut at " << size;
      }
    }
    if (scene->objectCount > 0 && scene->objects->faceCount == 2) ++withFirstMesh;
  }
  EXPECT_GT(withFirstMesh, 0);
}

TEST_F(DamagedFileTest, OverwrittenWordsNeverCrash) {
  // Every position gets values that make lengths, counts and indices lie:
  // too small, just below a header, huge, and all ones.
  const std::vector<uint8_t> file = RichFile();
  const uint32_t values[] = {0, 5, 6, 7, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
  for (size_t at = 0; at + 4 <= file.size(); ++at) {
    for (uint32_t value : values) {
      std::vector<uint8_t> damaged = file;
      for (int i = 0; i < 4; ++i) damaged[at + i] = static_cast<uint8_t>(value >> (8 * i));
      Scene* scene = ReadExact(damaged);
      for (const SceneObject* o = scene->objects; o; o = o->next)
        for (DWORD f = 0; f < o->faceCount; ++f) {
          ASSERT_LT(o->faces[f].a, o->vertexCount);
          ASSERT_LT(o->faces[f].b, o->vertexCount);
          ASSERT_LT(o->faces[f].c, o->vertexCount);
        }
      ReleaseScene(scene);
      scenes_.pop_back();
    }
  }
}

TEST_F(DamagedFileTest, LyingCountsAreCutToWhatFits) {
  const struct {
    const char* what;
    uint16_t vertexCount;  // as stored; three vertices follow
    uint16_t faceCount;    // as stored; one face follows
    uint16_t badIndex;     // third corner of the face
    DWORD vertices, faces;
  } cases[] = {
      {"honest", 3, 1, 2, 3, 1},
      {"vertex count too large", 500, 1, 2, 3, 1},
      {"face count too large", 3, 900, 2, 3, 1},
      {"index past the vertices", 3, 1, 3, 3, 0},
      {"index far out", 3, 1, 0xFFFF, 3, 0},
  };
  for (const auto& c : cases) {
    Scene* scene = ReadExact(EditorFile([&](Writer& w) {
      w.Begin(kObject);
      w.Text("m");
      w.Begin(kTriMesh);
      w.Begin(kVertexList);
      w.Word(c.vertexCount);
      for (int i = 0; i < 9; ++i) w.Float(static_cast<float>(i));
      w.End();
      w.Begin(kFaceList);
      w.Word(c.faceCount);
      for (uint16_t v : {uint16_t{0}, uint16_t{1}, c.badIndex, uint16_t{0}}) w.Word(v);
      w.End();
    }));
    ASSERT_EQ(scene->objectCount, 1) << c.what;
    EXPECT_EQ(scene->objects->vertexCount, c.vertices) << c.what;
    EXPECT_EQ(scene->objects->faceCount, c.faces) << c.what;
    EXPECT_EQ(LogSaysDamaged(), std::string(c.what) != "honest") << c.what;
  }
}

TEST_F(DamagedFileTest, LyingKeyCountKeepsTheKeysThatFit) {
  std::vector<uint8_t> file = AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                                           [](Writer& w) {
                                             MeshNode node;
                                             node.header = {0, "m"};
                                             node.position = std::vector<VectorKey>{{{0}, {1, 2, 3}}, {{1}, {4, 5, 6}}};
                                             w.WriteMeshNode(node);
                                           });
  // The key count of the only position track: 16 bytes into the chunk.
  const uint8_t trackId[] = {0x20, 0xB0};
  auto track = std::search(file.begin(), file.end(), std::begin(trackId), std::end(trackId));
  ASSERT_NE(track, file.end());
  const size_t count = (track - file.begin()) + 16;
  ASSERT_EQ(file[count], 2);
  file[count + 1] = 0x10;  // 4098 keys claimed
  Scene* scene = ReadExact(file);
  EXPECT_EQ(scene->objects->positionTrack.keyCount, 2u);
  EXPECT_EQ(scene->objects->positionTrack.keys[1].x, 4.0f);
  EXPECT_TRUE(LogSaysDamaged());
}

TEST_F(DamagedFileTest, MapNameWithoutEndStaysInsideItsChunk) {
  Scene* scene = ReadExact(EditorFile([](Writer& w) {
    w.Begin(kMaterial);
    w.Begin(kTextureMap);
    w.Begin(kPercentInt);
    w.Word(100);
    w.End();
    w.Begin(kMapName);
    w.Raw({'N', 'O', 'D', 'O', 'T'});  // neither a dot nor a NUL
    w.End();
    w.End();
    w.End();
    w.WriteMesh(TriangleMesh("after"));
  }));
  EXPECT_STREQ(scene->materials->textureMap, "NODOT");
  EXPECT_EQ(scene->objectCount, 1);
}

TEST_F(DamagedFileTest, ChunkLengthBelowHeaderEndsTheWalk) {
  Scene* scene = ReadExact(EditorFile([](Writer& w) {
    w.WriteMesh(TriangleMesh("kept"));
    w.Word(kObject);
    w.Dword(3);  // shorter than its own header
    w.WriteMesh(TriangleMesh("lost"));
  }));
  ASSERT_EQ(scene->objectCount, 1);
  EXPECT_STREQ(scene->objects->name, "kept");
  EXPECT_TRUE(LogSaysDamaged());
}

}  // namespace
