// Where D3D's conventions meet GL's, in one place. Render targets (the back buffer included)
// are stored with D3D's top row as GL row 0, so a texture made from a render target reads the
// way D3D reads it and Present hands the host an image with row 0 at the top. That storage
// turns the image upside down relative to GL's window convention, which the vertex epilogue
// undoes by negating y; the same flip reverses triangle winding, which the cull mapping in
// state_apply.cpp accounts for. Clip z runs over [0, w] in D3D and [-w, w] in GL. D3D samples
// pixels at integer coordinates where GL samples at half-integers, so positions move by (a
// hair under) half a pixel: kPixelCentreShift.
#include "pipeline.h"

namespace platform::d3d8 {

namespace {

const char* kDrawStateBlock =
    "layout(std140) uniform D3DDrawState {\n"
    "  vec4 d3dViewport;\n"          // x, y, width, height in pixels
    "  vec4 d3dPosFixup;\n"          // pixel-centre shift in NDC x, y; min z, max z
    "  vec4 d3dTextureFactor;\n"
    "  vec4 d3dAlphaTest;\n"         // x: D3DCMPFUNC (0 = off), y: reference 0..255
    "  vec4 d3dBumpEnvMat[8];\n"
    "  vec4 d3dBumpEnvLuminance[8];\n"
    "  mat4 d3dWorldViewProj;\n"
    "};\n"
    "layout(std140) uniform D3DVertexShaderConstants { vec4 vsConst[96]; };\n"
    "layout(std140) uniform D3DPixelShaderConstants { vec4 psConst[8]; };\n";

std::string Varyings(const char* qualifier) {
  std::string s;
  s += std::string(qualifier) + " vec4 vD3DColor0;\n";
  s += std::string(qualifier) + " vec4 vD3DColor1;\n";
  for (int i = 0; i < kMaxTextureStages; ++i) {
    s += std::string(qualifier) + " vec4 vD3DTex" + std::to_string(i) + ";\n";
  }
  return s;
}

}  // namespace

std::string VertexPreludeGlsl() {
  return std::string("#version 330 core\n") + kDrawStateBlock + Varyings("out");
}

std::string VertexEpilogueGlsl() {
  return "  gl_Position = vec4(d3dPos.x + d3dPosFixup.x * d3dPos.w,\n"
         "                     -d3dPos.y + d3dPosFixup.y * d3dPos.w,\n"
         "                     2.0 * d3dPos.z - d3dPos.w,\n"
         "                     d3dPos.w);\n";
}

std::string FragmentPreludeGlsl(const TextureKinds& kinds) {
  std::string s = std::string("#version 330 core\n") + kDrawStateBlock + Varyings("in");
  s += "layout(location = 0) out vec4 d3dFragColor;\n";
  for (int i = 0; i < kMaxTextureStages; ++i) {
    if (kinds[i] == TextureKind::Flat) {
      s += "uniform sampler2D d3dSampler2D_" + std::to_string(i) + ";\n";
    } else if (kinds[i] == TextureKind::Cube) {
      s += "uniform samplerCube d3dSamplerCube_" + std::to_string(i) + ";\n";
    }
  }
  return s;
}

std::string FragmentEpilogueGlsl() {
  // The alpha test compares 8-bit values, as the D3D pipeline does.
  return "  if (d3dAlphaTest.x != 0.0) {\n"
         "    float a = floor(clamp(d3dColor.a, 0.0, 1.0) * 255.0 + 0.5);\n"
         "    float r = d3dAlphaTest.y;\n"
         "    int f = int(d3dAlphaTest.x);\n"
         "    bool pass = f == 8 || (f == 2 && a < r) || (f == 3 && a == r) ||\n"
         "                (f == 4 && a <= r) || (f == 5 && a > r) || (f == 6 && a != r) ||\n"
         "                (f == 7 && a >= r);\n"
         "    if (!pass) discard;\n"
         "  }\n"
         "  d3dFragColor = d3dColor;\n";
}

}  // namespace platform::d3d8
