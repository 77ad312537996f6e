// Draws with translated shaders straight through GL on Mesa's software rasteriser, so the
// translation's arithmetic can be checked pixel by pixel without the rest of the device.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/pipeline.h"

namespace shadertest {

using Vec4 = std::array<float, 4>;

struct Texture {
  bool cube = false;
  int size = 2;                          // width = height
  std::vector<uint32_t> texels[6];       // 0xAARRGGBB, row 0 at the top; one face unless cube
};

struct DrawJob {
  std::string vertexSource;              // assembly text
  std::string pixelSource;
  std::vector<Vec4> inputs[16];          // per input register, one value per vertex
  std::array<Vec4, 96> vsConst{};
  std::array<Vec4, 8> psConst{};
  std::array<Vec4, 8> bumpEnv{};         // 00, 01, 10, 11 per stage
  std::array<Vec4, 8> bumpLuminance{};   // scale, offset per stage
  std::vector<std::pair<int, Texture>> textures;  // stage, texture
};

constexpr int kSize = 32;

struct Image {
  std::vector<uint8_t> rgba;  // kSize x kSize, row 0 at the top (D3D order)
  std::array<int, 4> At(int x, int y) const {
    const uint8_t* p = &rgba[(static_cast<size_t>(y) * kSize + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

// Initialises the offline host and a software GL context once per process.
bool EnsureGl(std::string* error);

// Assembles, translates, links and draws the triangles in `inputs` (every three vertices)
// into a cleared kSize x kSize target. Returns false with a message on any failure.
bool Draw(const DrawJob& job, Image* image, std::string* error);

// Compiles and links a vertex and a fragment stage; the program name goes to *program.
bool LinkProgram(const std::string& vertexGlsl, const std::string& fragmentGlsl, unsigned* program,
                 std::string* error);

// A quad covering the whole target as two triangles with position in v0 and one extra
// per-vertex value in register `reg` (for instance a texture coordinate).
void FullScreenQuad(DrawJob* job, int reg = -1, const std::array<Vec4, 4>& corners = {});

}  // namespace shadertest
