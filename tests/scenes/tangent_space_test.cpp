#include <cmath>
#include <vector>

#include "device_fixture.h"
#include "scenes/mesh_buffers.h"
#include "scenes/tangent_space.h"

namespace {

class TangentSpaceTest : public d3d8test::DeviceTest {
 protected:
  void TearDown() override {
    for (IDirect3DVertexBuffer8* b : vertexBuffers) b->Release();
    if (object.vertexBuffer) object.vertexBuffer->Release();
    if (object.indexBuffer) object.indexBuffer->Release();
    DeviceTest::TearDown();
  }

  // A mesh whose vertex and index buffers exist, as the room scene has them.
  void MakeMesh(std::vector<Float3> p, std::vector<TexCoord> t, std::vector<Face> f) {
    positions = std::move(p);
    texCoords = std::move(t);
    faces = std::move(f);
    normals.assign(positions.size(), Float3{0.0f, 0.0f, 1.0f});
    object.vertexCount = static_cast<DWORD>(positions.size());
    object.faceCount = static_cast<DWORD>(faces.size());
    object.positions = positions.data();
    object.normals = normals.data();
    object.texCoords = texCoords.data();
    object.faces = faces.data();
    CreateMeshBuffers(device, &object);
    ASSERT_NE(object.vertexBuffer, nullptr);
  }

  std::vector<TangentVertex> Read(IDirect3DVertexBuffer8* buffer) {
    BYTE* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    std::vector<TangentVertex> out(reinterpret_cast<TangentVertex*>(data),
                                   reinterpret_cast<TangentVertex*>(data) + object.vertexCount);
    buffer->Unlock();
    return out;
  }

  std::vector<Float3> positions, normals;
  std::vector<TexCoord> texCoords;
  std::vector<Face> faces;
  SceneObject object;
  std::vector<IDirect3DVertexBuffer8*> vertexBuffers;
};

TEST_F(TangentSpaceTest, VerticesAreScaledFromTheMeshBuffer) {
  MakeMesh({{1, 2, 3}, {0, 0, 0}, {1, 0, 0}}, {{0.5f, 1}, {0, 0}, {1, 0}}, {{0, 1, 2}});
  IDirect3DVertexBuffer8* buffer = BuildTangentVertices(device, &object, 150.0f, 0.5f);
  ASSERT_NE(buffer, nullptr);
  vertexBuffers.push_back(buffer);
  D3DVERTEXBUFFER_DESC desc;
  buffer->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 3u * 56u);
  EXPECT_EQ(desc.FVF, 0x112u);
  const std::vector<TangentVertex> v = Read(buffer);
  EXPECT_EQ(v[0].x, 150.0f);
  EXPECT_EQ(v[0].y, 300.0f);
  EXPECT_EQ(v[0].z, 450.0f);
  EXPECT_EQ(v[0].nz, 1.0f);
  EXPECT_EQ(v[0].u, 0.25f);
  EXPECT_EQ(v[0].v, 0.5f);
  EXPECT_EQ(v[0].tx, 0.0f);
  EXPECT_EQ(v[0].bz, 0.0f);
}

TEST_F(TangentSpaceTest, SharedVertexGetsTheNormalisedSumAndDegenerateFacesAreSkipped) {
  MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 2}, {5, 5, 5}, {9, 9, 9}},
           {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {3, 0}, {0, 0}},
           {{0, 1, 2},    // tangent +x, binormal +y
            {0, 3, 2},    // tangent +z, binormal +y
            {1, 3, 4}});  // texture coordinates on one line: d = 0
  IDirect3DVertexBuffer8* buffer = BuildTangentVertices(device, &object, 1.0f, 1.0f);
  ASSERT_NE(buffer, nullptr);
  vertexBuffers.push_back(buffer);
  ComputeTangentBasis(buffer, object.indexBuffer, object.vertexCount, object.faceCount);
  const std::vector<TangentVertex> v = Read(buffer);
  const float h = std::sqrt(0.5f);
  const struct {
    int vertex;
    Float3 tangent, binormal;
  } expected[] = {
      {0, {h, 0, h}, {0, 1, 0}},  // shared by the first two faces
      {1, {1, 0, 0}, {0, 1, 0}},  // the degenerate face adds nothing
      {2, {h, 0, h}, {0, 1, 0}},
      {3, {0, 0, 1}, {0, 1, 0}},
      {4, {0, 0, 0}, {0, 0, 0}},  // only in the degenerate face
      {5, {0, 0, 0}, {0, 0, 0}},  // in no face
  };
  for (const auto& e : expected) {
    const TangentVertex& t = v[e.vertex];
    EXPECT_NEAR(t.tx, e.tangent.x, 1e-6) << e.vertex;
    EXPECT_NEAR(t.ty, e.tangent.y, 1e-6) << e.vertex;
    EXPECT_NEAR(t.tz, e.tangent.z, 1e-6) << e.vertex;
    EXPECT_NEAR(t.bx, e.binormal.x, 1e-6) << e.vertex;
    EXPECT_NEAR(t.by, e.binormal.y, 1e-6) << e.vertex;
    EXPECT_NEAR(t.bz, e.binormal.z, 1e-6) << e.vertex;
    EXPECT_EQ(t.nz, 1.0f) << "the normal stays";
  }
}

}  // namespace
