// Load-time work of the 3D scenes: the 512 x 512 normalisation cube map with
// its mip chain, and normals, mesh buffers and tangent space of a mesh of
// 20,000 faces (a generated grid).
// Prints the median and spread of repeated runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "scenes/mesh_buffers.h"
#include "scenes/mesh_normals.h"
#include "scenes/tangent_space.h"

namespace {

// A grid of (side + 1)^2 vertices and 2 * side^2 faces on a wavy surface.
struct Grid {
  std::vector<Float3> positions, normals;
  std::vector<TexCoord> texCoords;
  std::vector<Face> faces;
  SceneObject object;

  explicit Grid(int side) {
    for (int y = 0; y <= side; ++y)
      for (int x = 0; x <= side; ++x) {
        positions.push_back({float(x), float((x * 7 + y * 3) % 5), float(y)});
        texCoords.push_back({x / float(side), y / float(side)});
      }
    normals.resize(positions.size());
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const WORD a = WORD(y * (side + 1) + x), b = WORD(a + 1), c = WORD(a + side + 1), d = WORD(c + 1);
        faces.push_back({a, b, c});
        faces.push_back({b, d, c});
      }
    object.vertexCount = DWORD(positions.size());
    object.faceCount = DWORD(faces.size());
    object.positions = positions.data();
    object.normals = normals.data();
    object.texCoords = texCoords.data();
    object.faces = faces.data();
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Report(const char* what, const std::function<void()>& work, int runs) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("%-52s median %9.3f ms  min %9.3f  max %9.3f  (%d runs)\n", what, Median(ms),
              *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), runs);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 9;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help")) {
      std::puts("Usage: bench_scene_setup [--runs N]\nTimes the cube map and mesh set-up of the 3D scenes.");
      return 0;
    }
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
  }
  platform::host::OfflineOptions options;
  options.width = 64;
  options.height = 64;
  std::string error;
  if (!platform::host::Initialize(&options, &error)) {
    std::fprintf(stderr, "bench_scene_setup: no offline host: %s\n", error.c_str());
    return 1;
  }
  IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  IDirect3DDevice8* device = nullptr;
  if (!d3d || FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
    std::fprintf(stderr, "bench_scene_setup: no device\n");
    return 1;
  }
  Report("normalisation cube map 512, full mip chain", [&] {
    IDirect3DCubeTexture8* cube = nullptr;
    CreateNormalisationCubeMap(device, 512, 0, &cube);
    if (cube) cube->Release();
  }, runs);
  Grid grid(100);  // 10,201 vertices, 20,000 faces
  std::printf("mesh: %u vertices, %u faces\n", grid.object.vertexCount, grid.object.faceCount);
  Report("vertex normals", [&] { ComputeVertexNormals(&grid.object); }, runs);
  Report("normals, mesh buffers, tangent vertices and basis", [&] {
    ComputeVertexNormals(&grid.object);
    CreateMeshBuffers(device, &grid.object);
    IDirect3DVertexBuffer8* tangents = BuildTangentVertices(device, &grid.object, 4.0f, 1.0f);
    ComputeTangentBasis(tangents, grid.object.indexBuffer, grid.object.vertexCount, grid.object.faceCount);
    tangents->Release();
    grid.object.vertexBuffer->Release();
    grid.object.indexBuffer->Release();
    grid.object.vertexBuffer = nullptr;
    grid.object.indexBuffer = nullptr;
  }, runs);
  device->Release();
  d3d->Release();
  return 0;
}
