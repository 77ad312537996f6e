#include <cstring>

#include "device_fixture.h"
#include "scenes/mesh_buffers.h"
#include "scenes/mesh_vertex.h"

namespace {

class MeshBuffersTest : public d3d8test::DeviceTest {};

TEST_F(MeshBuffersTest, PivotIsSubtractedAndFacesCopiedVerbatim) {
  Float3 positions[] = {{12, 3, 4}, {10, 0, 0}, {11, 1, 1}};
  Float3 normals[] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
  TexCoord texCoords[] = {{0.25f, 0.5f}, {1, 0}, {0, 1}};
  Face faces[] = {{0, 1, 2}, {2, 1, 0}};
  SceneObject object;
  object.vertexCount = 3;
  object.faceCount = 2;
  object.positions = positions;
  object.normals = normals;
  object.texCoords = texCoords;
  object.faces = faces;
  object.pivot = {10, 0, 0};
  CreateMeshBuffers(device, &object);
  ASSERT_NE(object.vertexBuffer, nullptr);
  ASSERT_NE(object.indexBuffer, nullptr);

  D3DVERTEXBUFFER_DESC vertexDesc;
  ASSERT_EQ(object.vertexBuffer->GetDesc(&vertexDesc), D3D_OK);
  EXPECT_EQ(vertexDesc.Size, 3u * 32u);
  EXPECT_EQ(vertexDesc.FVF, 0x112u);
  EXPECT_EQ(vertexDesc.Pool, D3DPOOL_MANAGED);
  // A later lock of the whole buffer returns what was written.
  BYTE* data = nullptr;
  ASSERT_EQ(object.vertexBuffer->Lock(0, 0, &data, 0), D3D_OK);
  const MeshVertex* v = reinterpret_cast<const MeshVertex*>(data);
  EXPECT_EQ(v[0].x, 2.0f);
  EXPECT_EQ(v[0].y, 3.0f);
  EXPECT_EQ(v[0].z, 4.0f);
  EXPECT_EQ(v[0].nz, 1.0f);  // the pivot does not touch normals
  EXPECT_EQ(v[0].u, 0.25f);
  EXPECT_EQ(v[0].v, 0.5f);
  EXPECT_EQ(v[1].x, 0.0f);
  EXPECT_EQ(v[2].nx, 1.0f);
  object.vertexBuffer->Unlock();

  D3DINDEXBUFFER_DESC indexDesc;
  ASSERT_EQ(object.indexBuffer->GetDesc(&indexDesc), D3D_OK);
  EXPECT_EQ(indexDesc.Size, 12u);
  EXPECT_EQ(indexDesc.Format, D3DFMT_INDEX16);
  ASSERT_EQ(object.indexBuffer->Lock(0, 0, &data, 0), D3D_OK);
  EXPECT_EQ(std::memcmp(data, faces, sizeof faces), 0);
  object.indexBuffer->Unlock();
  object.vertexBuffer->Release();
  object.indexBuffer->Release();
}

TEST_F(MeshBuffersTest, ObjectsWithoutVerticesOrFacesGetNoBuffers) {
  Float3 position = {1, 2, 3};
  Float3 normal = {0, 0, 1};
  TexCoord texCoord = {0, 0};
  Face face = {0, 0, 0};
  SceneObject noFaces;
  noFaces.vertexCount = 1;
  noFaces.positions = &position;
  noFaces.normals = &normal;
  noFaces.texCoords = &texCoord;
  SceneObject noVertices;
  noVertices.faceCount = 1;
  noVertices.faces = &face;
  for (SceneObject* o : {&noFaces, &noVertices}) {
    CreateMeshBuffers(device, o);
    EXPECT_EQ(o->vertexBuffer, nullptr);
    EXPECT_EQ(o->indexBuffer, nullptr);
  }
}

}  // namespace
