#include "scenes/tangent_space.h"

#include <d3dx8.h>

#include <cstddef>
#include <initializer_list>

#include "scenes/mesh_vertex.h"

IDirect3DVertexBuffer8* BuildTangentVertices(IDirect3DDevice8* device, const SceneObject* mesh, float positionScale,
                                             float texCoordScale) {
  if (!mesh->vertexBuffer) return nullptr;
  const DWORD count = mesh->vertexCount;
  IDirect3DVertexBuffer8* buffer = nullptr;
  if (FAILED(device->CreateVertexBuffer(count * sizeof(TangentVertex), 0, kMeshVertexFvf, D3DPOOL_MANAGED, &buffer)))
    return nullptr;
  BYTE* source = nullptr;
  BYTE* target = nullptr;
  if (SUCCEEDED(mesh->vertexBuffer->Lock(0, 0, &source, D3DLOCK_READONLY))) {
    if (SUCCEEDED(buffer->Lock(0, 0, &target, 0))) {
      const MeshVertex* in = reinterpret_cast<const MeshVertex*>(source);
      TangentVertex* out = reinterpret_cast<TangentVertex*>(target);
      for (DWORD i = 0; i < count; ++i) {
        const MeshVertex& m = in[i];
        out[i] = {m.x * positionScale, m.y * positionScale, m.z * positionScale, m.nx, m.ny, m.nz,
                  m.u * texCoordScale, m.v * texCoordScale, 0, 0, 0, 0, 0, 0};
      }
      buffer->Unlock();
    }
    mesh->vertexBuffer->Unlock();
  }
  return buffer;
}

void ComputeTangentBasis(IDirect3DVertexBuffer8* vertices, IDirect3DIndexBuffer8* indices, DWORD vertexCount,
                         DWORD faceCount) {
  if (!vertices || !indices) return;
  BYTE* vertexData = nullptr;
  BYTE* indexData = nullptr;
  if (FAILED(vertices->Lock(0, 0, &vertexData, 0))) return;
  if (FAILED(indices->Lock(0, 0, &indexData, D3DLOCK_READONLY))) {
    vertices->Unlock();
    return;
  }
  TangentVertex* v = reinterpret_cast<TangentVertex*>(vertexData);
  const WORD* index = reinterpret_cast<const WORD*>(indexData);
  for (DWORD f = 0; f < faceCount; ++f) {
    const WORD i0 = index[3 * f], i1 = index[3 * f + 1], i2 = index[3 * f + 2];
    if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount) continue;
    const TangentVertex &v0 = v[i0], &v1 = v[i1], &v2 = v[i2];
    const float e1[3] = {v1.x - v0.x, v1.y - v0.y, v1.z - v0.z};
    const float e2[3] = {v2.x - v0.x, v2.y - v0.y, v2.z - v0.z};
    const float du1 = v1.u - v0.u, dv1 = v1.v - v0.v;
    const float du2 = v2.u - v0.u, dv2 = v2.v - v0.v;
    const float d = du1 * dv2 - du2 * dv1;
    // Degenerate mapping: the division would spread infinities into all
    // three vertices.
    if (d == 0.0f) continue;
    float t[3], b[3];
    for (int k = 0; k < 3; ++k) {
      t[k] = (dv2 * e1[k] - dv1 * e2[k]) / d;
      b[k] = (du1 * e2[k] - du2 * e1[k]) / d;
    }
    for (WORD i : {i0, i1, i2}) {
      v[i].tx += t[0];
      v[i].ty += t[1];
      v[i].tz += t[2];
      v[i].bx += b[0];
      v[i].by += b[1];
      v[i].bz += b[2];
    }
  }
  for (DWORD i = 0; i < vertexCount; ++i) {
    D3DXVECTOR3 tangent(v[i].tx, v[i].ty, v[i].tz), binormal(v[i].bx, v[i].by, v[i].bz);
    D3DXVec3Normalize(&tangent, &tangent);
    D3DXVec3Normalize(&binormal, &binormal);
    v[i].tx = tangent.x;
    v[i].ty = tangent.y;
    v[i].tz = tangent.z;
    v[i].bx = binormal.x;
    v[i].by = binormal.y;
    v[i].bz = binormal.z;
  }
  indices->Unlock();
  vertices->Unlock();
}

DWORD EncodeDirection(float x, float y, float z) {
  const DWORD r = static_cast<DWORD>((x + 1.0f) * 127.0f);
  const DWORD g = static_cast<DWORD>((y + 1.0f) * 127.0f);
  const DWORD b = static_cast<DWORD>((z + 1.0f) * 127.0f);
  return (r << 16) | (g << 8) | b;
}

HRESULT CreateNormalisationCubeMap(IDirect3DDevice8* device, UINT edge, UINT levels,
                                   IDirect3DCubeTexture8** cubeTexture) {
  IDirect3DCubeTexture8* cube = nullptr;
  const HRESULT created =
      D3DXCreateCubeTexture(device, edge, levels, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube);
  if (FAILED(created)) return created;
  D3DSURFACE_DESC desc;
  cube->GetLevelDesc(0, &desc);
  const UINT w = desc.Width, h = desc.Height;
  // The outermost texels sit at exactly ±1. A one-texel face has no such
  // pair: it points straight through the face's centre.
  auto Coordinate = [](UINT i, UINT n) {
    return n > 1 ? 2.0f * static_cast<float>(i) / static_cast<float>(n - 1) - 1.0f : 0.0f;
  };
  for (int face = 0; face < 6; ++face) {
    const D3DCUBEMAP_FACES faceType = static_cast<D3DCUBEMAP_FACES>(face);
    D3DLOCKED_RECT locked;
    if (FAILED(cube->LockRect(faceType, 0, &locked, nullptr, 0))) continue;
    for (UINT y = 0; y < h; ++y) {
      DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch);
      const float t = Coordinate(y, h);
      for (UINT x = 0; x < w; ++x) {
        const float s = Coordinate(x, w);
        D3DXVECTOR3 v;
        switch (faceType) {
          case D3DCUBEMAP_FACE_POSITIVE_X: v = D3DXVECTOR3(1.0f, -t, -s); break;
          case D3DCUBEMAP_FACE_NEGATIVE_X: v = D3DXVECTOR3(-1.0f, -t, s); break;
          case D3DCUBEMAP_FACE_POSITIVE_Y: v = D3DXVECTOR3(s, 1.0f, t); break;
          case D3DCUBEMAP_FACE_NEGATIVE_Y: v = D3DXVECTOR3(s, -1.0f, -t); break;
          case D3DCUBEMAP_FACE_POSITIVE_Z: v = D3DXVECTOR3(s, -t, 1.0f); break;
          default: v = D3DXVECTOR3(-s, -t, -1.0f); break;
        }
        D3DXVECTOR3 n;
        D3DXVec3Normalize(&n, &v);
        row[x] = EncodeDirection(n.x, n.y, n.z);
      }
    }
    cube->UnlockRect(faceType, 0);
  }
  if (levels == 0 || levels > 1) D3DXFilterCubeTexture(cube, nullptr, 0, D3DX_FILTER_LINEAR);
  *cubeTexture = cube;
  return D3D_OK;
}
