// The vertex of every mesh vertex buffer: position relative to the object's
// pivot, normal, texture coordinates.
#pragma once

#include <d3d8.h>

struct MeshVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(MeshVertex) == 32, "mesh vertices are 32 bytes");

constexpr DWORD kMeshVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
