// Tangent-space vertices for the bump-mapped room meshes, and the cube map
// that normalises interpolated directions in the pixel shaders.
#pragma once

#include <d3d8.h>

#include "scene3ds/scene.h"

struct TangentVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
  float tx, ty, tz;  // tangent
  float bx, by, bz;  // binormal
};
static_assert(sizeof(TangentVertex) == 56, "tangent vertices are 56 bytes");

// A new managed buffer of one TangentVertex per vertex of the mesh, read
// back from its MeshVertex buffer: positions and texture coordinates
// scaled, normals as they are, tangent and binormal zero. Null when the mesh
// has no vertex buffer.
IDirect3DVertexBuffer8* BuildTangentVertices(IDirect3DDevice8* device, const SceneObject* mesh, float positionScale,
                                             float texCoordScale);

// Sums every face's tangent and binormal into its three vertices and
// normalises the sums. Faces whose texture coordinates are degenerate
// (d = 0) have no tangent frame and are left out of the sums.
void ComputeTangentBasis(IDirect3DVertexBuffer8* vertices, IDirect3DIndexBuffer8* indices, DWORD vertexCount,
                         DWORD faceCount);

// The texel that encodes a unit vector: trunc((c + 1) x 127) per component,
// red x, green y, blue z, top byte 0.
DWORD EncodeDirection(float x, float y, float z);

// A cube map whose texels hold the unit vector from the centre through them;
// lower mip levels filtered from level 0 when more than one level is asked
// for (0: the whole chain). Returns the creation result when it fails.
HRESULT CreateNormalisationCubeMap(IDirect3DDevice8* device, UINT edge, UINT levels,
                                   IDirect3DCubeTexture8** cubeTexture);
