#include "scenes/mesh_normals.h"

#include <d3dx8.h>

#include <vector>

Float3 NormaliseOrZero(const Float3& v) {
  D3DXVECTOR3 out;
  const D3DXVECTOR3 in(v.x, v.y, v.z);
  D3DXVec3Normalize(&out, &in);
  return {out.x, out.y, out.z};
}

void ComputeVertexNormals(SceneObject* object) {
  const DWORD vertexCount = object->vertexCount;
  const Float3* p = object->positions;
  std::vector<Float3> sums(vertexCount, Float3{0.0f, 0.0f, 0.0f});
  // Each face is added once to each vertex it uses, faces in order: the same
  // additions in the same order as testing every face for every vertex, in
  // O(V + F) instead of O(V x F).
  for (DWORD f = 0; f < object->faceCount; ++f) {
    const Face face = object->faces[f];
    if (face.a >= vertexCount || face.b >= vertexCount || face.c >= vertexCount) continue;
    const Float3 e1 = {p[face.b].x - p[face.a].x, p[face.b].y - p[face.a].y, p[face.b].z - p[face.a].z};
    const Float3 e2 = {p[face.c].x - p[face.a].x, p[face.c].y - p[face.a].y, p[face.c].z - p[face.a].z};
    const Float3 n = NormaliseOrZero(
        {e2.y * e1.z - e2.z * e1.y, e2.z * e1.x - e2.x * e1.z, e2.x * e1.y - e2.y * e1.x});
    const WORD corners[3] = {face.a, face.b, face.c};
    for (int k = 0; k < 3; ++k) {
      if ((k >= 1 && corners[k] == corners[0]) || (k == 2 && corners[2] == corners[1])) continue;
      Float3& sum = sums[corners[k]];
      sum.x += n.x;
      sum.y += n.y;
      sum.z += n.z;
    }
  }
  for (DWORD i = 0; i < vertexCount; ++i) object->normals[i] = NormaliseOrZero(sums[i]);
}
