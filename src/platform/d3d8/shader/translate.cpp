// The device's entry into the shader code: token streams arrive as bare pointers, so their
// extent is measured first (never past a fixed limit), then decoded, validated and only then
// translated.
#include <cstring>
#include <vector>

#include "platform/d3d8/pipeline.h"
#include "platform/d3d8/shader/declaration.h"
#include "platform/d3d8/shader/decoder.h"
#include "platform/d3d8/shader/glsl.h"

namespace platform::d3d8 {
namespace {

namespace sh = platform::shader;

// The public token layout, checked against the stand-in header's definitions of it.
static_assert(int{D3DSIO_TEXM3x3SPEC} == int{sh::kTexM3x3Spec} && int{D3DSIO_BEM} == int{sh::kBem} &&
              int{D3DSIO_PHASE} == int{sh::kPhase});
static_assert(D3DSP_REGTYPE_SHIFT == sh::kRegTypeShift && D3DSP_WRITEMASK_ALL == sh::kWriteMaskMask);
static_assert(D3DSPSM_DW == (static_cast<uint32_t>(sh::SourceModifier::DivideW) << sh::kSourceModShift));
static_assert(D3DVS_ADDRMODE_RELATIVE == sh::kRelativeBit && D3DSI_COISSUE == sh::kCoissueBit);

// Longest stream or declaration read through a bare pointer (words).
constexpr size_t kMaxFunctionWords = 32768;
constexpr size_t kMaxDeclarationWords = 4096;

sh::SamplerKinds ToSamplerKinds(const TextureKinds& kinds) {
  sh::SamplerKinds out{};
  for (int i = 0; i < kMaxTextureStages && i < 8; ++i)
    out[i] = kinds[i] == TextureKind::Cube ? sh::SamplerKind::Cube
             : kinds[i] == TextureKind::Flat ? sh::SamplerKind::Flat
                                             : sh::SamplerKind::None;
  return out;
}

bool LoadFunction(const DWORD* function, sh::ShaderType type, sh::Program* program, std::string* error) {
  sh::ShaderError problem;
  size_t count = 0;
  if (!sh::MeasureStream(function, kMaxFunctionWords, &count, &problem) ||
      !sh::DecodeAndValidate(function, count, program, &problem)) {
    if (error) *error = problem.ToString();
    return false;
  }
  if (program->version.type != type) {
    if (error)
      *error = "token 0: " + program->version.Name() + " is not a " +
               (type == sh::ShaderType::Vertex ? "vertex" : "pixel") + " shader version";
    return false;
  }
  return true;
}

// def values, in stream order so that a register defined twice keeps the last value.
std::vector<DeclaredConstant> DefinedConstants(const sh::Program& program) {
  std::vector<DeclaredConstant> out;
  for (const sh::Instruction& ins : program.instructions) {
    if (ins.opcode != sh::kDef) continue;
    DeclaredConstant c;
    c.reg = ins.dest.index;
    std::memcpy(c.value, ins.defValues, sizeof c.value);
    out.push_back(c);
  }
  return out;
}

class TranslatedPixelShader : public PixelShaderCode {
 public:
  explicit TranslatedPixelShader(sh::Program program) : program_(std::move(program)) {}
  std::string Glsl(const TextureKinds& kinds) const override {
    return sh::TranslatePixelProgram(program_, ToSamplerKinds(kinds),
                                     {FragmentPreludeGlsl(kinds), FragmentEpilogueGlsl()});
  }
  std::vector<DeclaredConstant> DefinedConstants() const override {
    return platform::d3d8::DefinedConstants(program_);
  }

 private:
  sh::Program program_;
};

}  // namespace

HRESULT TranslateVertexShader(const DWORD* declaration, const DWORD* function,
                              std::unique_ptr<VertexShaderCode>* result, std::string* error) {
  if (!result) return D3DERR_INVALIDCALL;
  sh::Declaration decl;
  sh::ShaderError problem;
  if (!sh::ParseDeclaration(declaration, kMaxDeclarationWords, &decl, &problem)) {
    if (error) *error = "declaration " + problem.ToString();
    return D3DERR_INVALIDCALL;
  }
  if (!function) {
    if (error) *error = "a declaration without a shader function (fixed-function vertex processing) is not supported";
    return D3DERR_INVALIDCALL;
  }
  sh::Program program;
  if (!LoadFunction(function, sh::ShaderType::Vertex, &program, error)) return D3DERR_INVALIDCALL;
  auto code = std::make_unique<VertexShaderCode>();
  for (const sh::DeclarationElement& e : decl.elements)
    code->layout.elements.push_back({e.stream, e.offset, e.type, e.reg});
  for (const sh::DeclarationConstant& c : decl.constants) {
    DeclaredConstant dc;
    dc.reg = c.reg;
    std::memcpy(dc.value, c.value, sizeof dc.value);
    code->layout.constants.push_back(dc);
  }
  // def values load with the declaration's constants whenever the shader is set.
  for (const DeclaredConstant& c : DefinedConstants(program)) code->layout.constants.push_back(c);
  code->glsl = sh::TranslateVertexProgram(program, {VertexPreludeGlsl(), VertexEpilogueGlsl()});
  *result = std::move(code);
  return D3D_OK;
}

HRESULT TranslatePixelShader(const DWORD* function, std::unique_ptr<PixelShaderCode>* result,
                             std::string* error) {
  if (!result) return D3DERR_INVALIDCALL;
  sh::Program program;
  if (!LoadFunction(function, sh::ShaderType::Pixel, &program, error)) return D3DERR_INVALIDCALL;
  *result = std::make_unique<TranslatedPixelShader>(std::move(program));
  return D3D_OK;
}

}  // namespace platform::d3d8
