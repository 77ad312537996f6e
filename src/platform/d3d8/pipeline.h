// The seam between the device's drawing code and the stages that run on the GPU. The device
// owns program linking, vertex input set-up, uniform blocks and texture units; a stage only
// supplies GLSL source built around the shared preludes and epilogues below, so every stage
// follows the same conventions (y flip, z range, half-pixel offset, alpha test).
//
// Vertex input: GL attribute location n is D3D input register vn. Fixed-function draws use
// position v0, blend weights v1, blend indices v2, normal v3, point size v4, diffuse v5,
// specular v6, texture coordinates v7..v14. D3DCOLOR data reaches the shader as vec4 (r, g, b, a)
// in [0, 1].
//
// Varyings (declared by the preludes): vD3DColor0 (oD0), vD3DColor1 (oD1), vD3DTex0..7 (oT0..7).
// A vertex stage writes every one of them and its clip-space position into a local
// `vec4 d3dPos`, then ends main() with VertexEpilogueGlsl(). A pixel stage computes a local
// `vec4 d3dColor` and ends main() with FragmentEpilogueGlsl().
//
// Uniforms (declared by the preludes as std140 blocks, filled by the device):
//   vec4 vsConst[96]   vertex shader constants c0..c95
//   vec4 psConst[8]    pixel shader constants c0..c7
//   D3DDrawState       per-draw values: d3dTextureFactor (TFACTOR as rgba),
//                      d3dBumpEnvMat[stage] (00, 01, 10, 11), d3dBumpEnvLuminance[stage]
//                      (scale, offset), d3dWorldViewProj (fixed-function world x view x
//                      projection, stored so that GLSL computes d3dWorldViewProj * pos), d3dViewport (x, y, width, height)
// Texture stage n is GL texture unit n; its sampler is `d3dSampler2D_n` or `d3dSamplerCube_n`,
// declared by FragmentPreludeGlsl for the kind of texture bound to stage n at draw time.
#pragma once

#include <d3d8.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::d3d8 {

constexpr int kMaxTextureStages = 8;
constexpr int kMaxStreams = 16;
constexpr int kMaxVertexInputs = 16;
constexpr int kVertexShaderConstantCount = 96;
constexpr int kPixelShaderConstantCount = 8;

// What is bound to a texture stage; part of every program's cache key.
enum class TextureKind : uint8_t { None = 0, Flat = 1, Cube = 2 };
using TextureKinds = std::array<TextureKind, kMaxTextureStages>;

// One D3DVSD_REG of a vertex declaration: data in `stream` at byte `offset` of each vertex,
// of D3DVSDT_* `type`, feeding input register `reg`.
struct VertexElement {
  UINT stream = 0;
  UINT offset = 0;
  DWORD type = D3DVSDT_FLOAT4;
  UINT reg = 0;
};

// A D3DVSD_CONST entry: loaded into vsConst[reg] whenever the shader is set.
struct DeclaredConstant {
  UINT reg = 0;
  float value[4] = {0, 0, 0, 0};
};

struct VertexLayout {
  std::vector<VertexElement> elements;
  std::vector<DeclaredConstant> constants;
};

// A translated vertex shader: its declaration and the complete GLSL of its vertex stage.
struct VertexShaderCode {
  VertexLayout layout;
  std::string glsl;
};

// A translated pixel shader. The GLSL depends on the kind of texture bound to each stage
// (2D or cube sampling), so it is produced per combination; the device caches the result.
class PixelShaderCode {
 public:
  virtual ~PixelShaderCode() = default;
  virtual std::string Glsl(const TextureKinds& kinds) const = 0;
  // The shader's `def` values: loaded into the pixel shader constants whenever the shader is
  // set, where SetPixelShaderConstant may overwrite them afterwards.
  virtual std::vector<DeclaredConstant> DefinedConstants() const { return {}; }
};

// Implemented by the shader translator (src/platform/d3d8/shader/). Both validate the token
// stream before building anything from it. On failure they return D3DERR_INVALIDCALL and put a
// one-line message (offset and problem) into *error; the device reports it.
HRESULT TranslateVertexShader(const DWORD* declaration, const DWORD* function,
                              std::unique_ptr<VertexShaderCode>* result, std::string* error);
HRESULT TranslatePixelShader(const DWORD* function, std::unique_ptr<PixelShaderCode>* result,
                             std::string* error);

// How far (in pixels) positions move so that D3D's pixel centres, at integer coordinates, fall
// on GL's, at half-integers. A little less than half a pixel: pixel centres then never lie
// exactly on a primitive's edge or on a texel boundary, so coverage follows D3D's top-left rule
// and a texel-for-pixel copy with point sampling reads exactly its own texel.
constexpr float kPixelCentreShift = 0.5f - 1.0f / 64.0f;

// Shared GLSL, defined once in conventions.cpp.
std::string VertexPreludeGlsl();
std::string VertexEpilogueGlsl();
std::string FragmentPreludeGlsl(const TextureKinds& kinds);
std::string FragmentEpilogueGlsl();

}  // namespace platform::d3d8
