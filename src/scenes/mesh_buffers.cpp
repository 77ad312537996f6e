#include "scenes/mesh_buffers.h"

#include <cstring>

#include "scenes/mesh_vertex.h"

void CreateMeshBuffers(IDirect3DDevice8* device, SceneObject* object) {
  const DWORD vertexCount = object->vertexCount;
  const DWORD faceCount = object->faceCount;
  if (vertexCount == 0 || faceCount == 0) return;

  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  if (FAILED(device->CreateVertexBuffer(vertexCount * sizeof(MeshVertex), 0, kMeshVertexFvf, D3DPOOL_MANAGED,
                                        &vertexBuffer)))
    return;
  BYTE* data = nullptr;
  if (SUCCEEDED(vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD))) {
    MeshVertex* out = reinterpret_cast<MeshVertex*>(data);
    const Float3 pivot = object->pivot;
    for (DWORD i = 0; i < vertexCount; ++i) {
      const Float3 p = object->positions[i];
      const Float3 n = object->normals[i];
      const TexCoord t = object->texCoords[i];
      out[i] = {p.x - pivot.x, p.y - pivot.y, p.z - pivot.z, n.x, n.y, n.z, t.u, t.v};
    }
    vertexBuffer->Unlock();
  }

  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  if (FAILED(device->CreateIndexBuffer(faceCount * sizeof(Face), 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                       &indexBuffer))) {
    vertexBuffer->Release();
    return;
  }
  if (SUCCEEDED(indexBuffer->Lock(0, faceCount * sizeof(Face), &data, D3DLOCK_DISCARD))) {
    std::memcpy(data, object->faces, faceCount * sizeof(Face));
    indexBuffer->Unlock();
  }
  object->vertexBuffer = vertexBuffer;
  object->indexBuffer = indexBuffer;
}
