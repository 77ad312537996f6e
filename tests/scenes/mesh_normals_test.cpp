#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "scene3ds/fatal_error.h"
#include "scene3ds/read_3ds.h"
#include "scenes/mesh_normals.h"

namespace {

// A mesh object owning its arrays, built from lists.
struct TestMesh {
  std::vector<Float3> positions, normals;
  std::vector<TexCoord> texCoords;
  std::vector<Face> faces;
  SceneObject object;

  TestMesh(std::vector<Float3> p, std::vector<Face> f) : positions(std::move(p)), faces(std::move(f)) {
    normals.assign(positions.size(), Float3{9.0f, 9.0f, 9.0f});
    texCoords.assign(positions.size(), TexCoord{0.0f, 0.0f});
    object.vertexCount = static_cast<DWORD>(positions.size());
    object.faceCount = static_cast<DWORD>(faces.size());
    object.positions = positions.data();
    object.normals = normals.data();
    object.texCoords = texCoords.data();
    object.faces = faces.data();
  }
};

// The sums as the straightforward loop forms them: every face tested for
// every vertex.
std::vector<Float3> DirectNormals(const SceneObject& o) {
  std::vector<Float3> faceNormals(o.faceCount);
  for (DWORD f = 0; f < o.faceCount; ++f) {
    const Float3 a = o.positions[o.faces[f].a], b = o.positions[o.faces[f].b], c = o.positions[o.faces[f].c];
    const Float3 e1 = {b.x - a.x, b.y - a.y, b.z - a.z};
    const Float3 e2 = {c.x - a.x, c.y - a.y, c.z - a.z};
    faceNormals[f] =
        NormaliseOrZero({e2.y * e1.z - e2.z * e1.y, e2.z * e1.x - e2.x * e1.z, e2.x * e1.y - e2.y * e1.x});
  }
  std::vector<Float3> normals(o.vertexCount);
  for (DWORD i = 0; i < o.vertexCount; ++i) {
    Float3 sum = {0.0f, 0.0f, 0.0f};
    for (DWORD f = 0; f < o.faceCount; ++f) {
      const Face face = o.faces[f];
      if (face.a == i || face.b == i || face.c == i) {
        sum.x += faceNormals[f].x;
        sum.y += faceNormals[f].y;
        sum.z += faceNormals[f].z;
      }
    }
    normals[i] = NormaliseOrZero(sum);
  }
  return normals;
}

void ExpectBitIdentical(const SceneObject& o, const char* what) {
  const std::vector<Float3> direct = DirectNormals(o);
  for (DWORD i = 0; i < o.vertexCount; ++i)
    ASSERT_EQ(std::memcmp(&direct[i], &o.normals[i], sizeof(Float3)), 0) << what << " vertex " << i;
}

TEST(MeshNormals, Table) {
  const struct {
    const char* what;
    std::vector<Float3> positions;
    std::vector<Face> faces;
    std::vector<Float3> expected;
  } cases[] = {
      {"single triangle",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
       {{0, 1, 2}},
       {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}}},
      {"collinear corners add nothing",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}},
       {{0, 1, 2}, {0, 1, 3}},
       {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, 0, 0}}},
      {"coincident corners add nothing",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
       {{0, 1, 2}, {1, 1, 2}},
       {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}}},
      {"unused vertex and cancelling faces give zero",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}},
       {{0, 1, 2}, {0, 2, 1}},
       {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
      {"duplicated vertices keep separate normals",
       // Two faces meeting at a right angle along x, with the edge vertices duplicated.
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}},
       {{0, 1, 2}, {3, 5, 4}},
       {{0, 0, -1}, {0, 0, -1}, {0, 0, -1}, {0, -1, 0}, {0, -1, 0}, {0, -1, 0}}},
      {"shared vertex averages unweighted",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
       {{0, 1, 2}, {0, 3, 1}},
       {{0, -0.70710677f, -0.70710677f},
        {0, -0.70710677f, -0.70710677f},
        {0, 0, -1},
        {0, -1, 0}}},
  };
  for (const auto& c : cases) {
    TestMesh mesh(c.positions, c.faces);
    ComputeVertexNormals(&mesh.object);
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_NEAR(mesh.normals[i].x, c.expected[i].x, 1e-6) << c.what << " vertex " << i;
      EXPECT_NEAR(mesh.normals[i].y, c.expected[i].y, 1e-6) << c.what << " vertex " << i;
      EXPECT_NEAR(mesh.normals[i].z, c.expected[i].z, 1e-6) << c.what << " vertex " << i;
    }
    ExpectBitIdentical(mesh.object, c.what);
  }
}

TEST(MeshNormals, SameBitsAsTheDirectLoopOnARandomMesh) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
  std::uniform_int_distribution<int> index(0, 599);
  std::vector<Float3> positions(600);
  for (Float3& p : positions) p = {coordinate(random), coordinate(random), coordinate(random)};
  std::vector<Face> faces(2000);
  for (Face& f : faces)
    f = {static_cast<WORD>(index(random)), static_cast<WORD>(index(random)), static_cast<WORD>(index(random))};
  faces[5] = {3, 3, 4};  // repeated corners count once
  TestMesh mesh(positions, faces);
  ComputeVertexNormals(&mesh.object);
  ExpectBitIdentical(mesh.object, "random");
}

void ThrowOnFatal(const char*) { throw 0; }

TEST(MeshNormals, SameBitsAsTheDirectLoopOnRealMeshes) {
  const std::filesystem::path folder = VANTREL_TESTDATA_3DS;
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no " << folder;
  char scratch[] = "/tmp/vantrel-normals-XXXXXX";
  ASSERT_NE(mkdtemp(scratch), nullptr);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(scratch);
  SetFatalErrorHandler(ThrowOnFatal);
  int meshes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Scene* scene = CreateScene();
    Read3dsImage(bytes.data(), static_cast<DWORD>(bytes.size()), scene);
    for (SceneObject* o = scene->objects; o; o = o->next) {
      if (o->vertexCount == 0) continue;
      ComputeVertexNormals(o);
      ExpectBitIdentical(*o, entry.path().filename().c_str());
      ++meshes;
    }
    ReleaseScene(scene);
  }
  SetFatalErrorHandler(nullptr);
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(scratch);
  EXPECT_GT(meshes, 300);
}

}  // namespace
