// GLSL for decoded and validated shader programs. The text around the translated body (the
// version line, uniform blocks, varyings, samplers and the closing conventions) comes from the
// caller, so the translation stays free of any device detail.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/d3d8/shader/program.h"

namespace platform::shader {

// The kind of texture bound to a stage when the program is linked: it picks 2D or cube
// sampling. A stage with nothing bound reads as opaque black.
enum class SamplerKind : uint8_t { None, Flat, Cube };
using SamplerKinds = std::array<SamplerKind, 8>;

struct GlslFrame {
  std::string prelude;   // before everything: #version, uniforms, varyings, samplers
  std::string epilogue;  // statements that end main()
};

// Vertex stage: declares `layout(location = n) in vec4` for each input register it reads,
// writes vD3DColor0/1 (saturated) and vD3DTex0..7, and leaves the position in `vec4 d3dPos`.
std::string TranslateVertexProgram(const Program& program, const GlslFrame& frame);

// Pixel stage: leaves the colour (r0) in `vec4 d3dColor`. Samplers are named
// d3dSampler2D_n / d3dSamplerCube_n as the prelude declares them for `kinds`.
std::string TranslatePixelProgram(const Program& program, const SamplerKinds& kinds, const GlslFrame& frame);

// Stages whose texture a pixel program samples (bit n for stage n).
uint32_t SampledStages(const Program& program);

}  // namespace platform::shader
