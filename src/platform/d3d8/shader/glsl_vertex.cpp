// vs.1.0 / vs.1.1 to GLSL. Every register becomes a vec4 local; instructions become one
// statement each, with D3D's rules for the scalar functions written out as helpers.
#include <set>

#include "platform/d3d8/shader/glsl.h"
#include "platform/d3d8/shader/glsl_common.h"

namespace platform::shader {
namespace {

using glsl::Assign;
using glsl::Float;

const char kVertexHelpers[] =
    "float d3dRcp(float x) { return x == 1.0 ? 1.0 : (x == 0.0 ? 3.402823466e+38 : 1.0 / x); }\n"
    "float d3dRsq(float x) {\n"
    "  float a = abs(x);\n"
    "  return a == 1.0 ? 1.0 : (a == 0.0 ? 3.402823466e+38 : inversesqrt(a));\n"
    "}\n"
    "float d3dLog(float x) { float a = abs(x); return a == 0.0 ? -3.402823466e+38 : log2(a); }\n"
    "vec4 d3dExpp(float w) { float f = floor(w); return vec4(exp2(f), w - f, exp2(w), 1.0); }\n"
    "vec4 d3dLogp(float w) {\n"
    "  float a = abs(w);\n"
    "  if (a == 0.0) return vec4(-3.402823466e+38, -3.402823466e+38, -3.402823466e+38, 1.0);\n"
    "  float e = floor(log2(a));\n"
    "  return vec4(e, a / exp2(e), log2(a), 1.0);\n"
    "}\n"
    "vec4 d3dLit(vec4 s) {\n"
    "  vec4 d = vec4(1.0, 0.0, 0.0, 1.0);\n"
    "  float p = clamp(s.w, -127.9961, 127.9961);\n"
    "  if (s.x > 0.0) {\n"
    "    d.y = s.x;\n"
    "    if (s.y > 0.0) d.z = pow(s.y, p);\n"
    "  }\n"
    "  return d;\n"
    "}\n";

class VertexTranslator {
 public:
  explicit VertexTranslator(const Program& p) : p_(p) {}

  std::string Run(const GlslFrame& frame) {
    std::string body;
    for (const Instruction& ins : p_.instructions) body += Statement(ins);

    std::string out = frame.prelude;
    for (uint32_t v : inputs_) out += "layout(location = " + std::to_string(v) + ") in vec4 d3dV" + std::to_string(v) + ";\n";
    out += kVertexHelpers;
    if (relative_) {
      // Indexed reads outside c0..c95 read zero rather than whatever lies beyond the array.
      out += "vec4 d3dConstRel(int i) {\n";
      out += "  return (i >= 0 && i < 96) ? vsConst[i] : vec4(0.0);\n}\n";
    }
    out += "void main() {\n";
    for (int r = 0; r < 12; ++r) out += "  vec4 r" + std::to_string(r) + " = vec4(0.0);\n";
    out += "  int a0 = 0;\n";
    out += "  vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0);\n  vec4 oFog = vec4(0.0);\n  vec4 oPts = vec4(0.0);\n";
    // Colours nobody writes read as the fixed-function defaults: white diffuse, black specular.
    out += "  vec4 oD0 = vec4(1.0);\n  vec4 oD1 = vec4(0.0);\n";
    for (int t = 0; t < 8; ++t) out += "  vec4 oT" + std::to_string(t) + " = vec4(0.0, 0.0, 0.0, 1.0);\n";
    out += body;
    out += "  vD3DColor0 = clamp(oD0, 0.0, 1.0);\n  vD3DColor1 = clamp(oD1, 0.0, 1.0);\n";
    for (int t = 0; t < 8; ++t) out += "  vD3DTex" + std::to_string(t) + " = oT" + std::to_string(t) + ";\n";
    out += "  vec4 d3dPos = oPos;\n";
    out += frame.epilogue;
    out += "}\n";
    return out;
  }

 private:
  std::string Register(RegisterType type, uint32_t index, bool relative) {
    switch (type) {
      case RegisterType::Temp: return "r" + std::to_string(index);
      case RegisterType::Input:
        inputs_.insert(index);
        return "d3dV" + std::to_string(index);
      case RegisterType::Const:
        if (relative) {
          relative_ = true;
          return "d3dConstRel(a0 + " + std::to_string(index) + ")";
        }
        return "vsConst[" + std::to_string(index) + "]";
      default: return "vec4(0.0)";  // the decoder lets no other type be read
    }
  }

  std::string Source(const SourceParam& s) {
    std::string v = Register(s.type, s.index, s.relative) + glsl::SwizzleSuffix(s.swizzle);
    if (s.modifier == SourceModifier::Negate) v = "(-" + v + ")";
    return v;
  }

  std::string DestName(const DestParam& d) {
    const std::string n = std::to_string(d.index);
    switch (d.type) {
      case RegisterType::Temp: return "r" + n;
      case RegisterType::RastOut: return d.index == kRastOutPosition ? "oPos" : (d.index == kRastOutFog ? "oFog" : "oPts");
      case RegisterType::AttrOut: return "oD" + n;
      case RegisterType::TexCrdOut: return "oT" + n;
      default: return "r0";
    }
  }

  // Row `row` of a matrix macro's second operand.
  std::string Row(const SourceParam& m, int row) {
    return Register(m.type, m.index + row, m.relative);
  }

  std::string Statement(const Instruction& ins) {
    const SourceParam* s = ins.sources;
    auto src = [&](int i) { return Source(s[i]); };
    std::string value;
    uint8_t mask = ins.hasDest ? ins.dest.writeMask : 0;
    switch (ins.opcode) {
      case kNop: case kDef: return "";
      case kMov:
        if (ins.dest.type == RegisterType::Address)  // vs.1.1 loads a0 rounding to nearest
          return "  a0 = int(floor((" + src(0) + ").x + 0.5));\n";
        value = src(0);
        break;
      case kAdd: value = src(0) + " + " + src(1); break;
      case kSub: value = src(0) + " - " + src(1); break;
      case kMul: value = src(0) + " * " + src(1); break;
      case kMad: value = src(0) + " * " + src(1) + " + " + src(2); break;
      case kMin: value = "min(" + src(0) + ", " + src(1) + ")"; break;
      case kMax: value = "max(" + src(0) + ", " + src(1) + ")"; break;
      case kSlt: value = "vec4(lessThan(" + src(0) + ", " + src(1) + "))"; break;
      case kSge: value = "vec4(greaterThanEqual(" + src(0) + ", " + src(1) + "))"; break;
      case kDp3: value = "vec4(dot((" + src(0) + ").xyz, (" + src(1) + ").xyz))"; break;
      case kDp4: value = "vec4(dot(" + src(0) + ", " + src(1) + "))"; break;
      // Scalar instructions read the w of the (usually replicated) source.
      case kRcp: value = "vec4(d3dRcp((" + src(0) + ").w))"; break;
      case kRsq: value = "vec4(d3dRsq((" + src(0) + ").w))"; break;
      case kExp: value = "vec4(exp2((" + src(0) + ").w))"; break;
      case kLog: value = "vec4(d3dLog((" + src(0) + ").w))"; break;
      case kExpP: value = "d3dExpp((" + src(0) + ").w)"; break;
      case kLogP: value = "d3dLogp((" + src(0) + ").w)"; break;
      case kLit: value = "d3dLit(" + src(0) + ")"; break;
      case kDst: {
        const std::string a = src(0), b = src(1);
        value = "vec4(1.0, (" + a + ").y * (" + b + ").y, (" + a + ").z, (" + b + ").w)";
        break;
      }
      case kFrc: value = "fract(" + src(0) + ")"; break;
      case kM4x4: case kM4x3: case kM3x4: case kM3x3: case kM3x2: {
        const bool three = ins.opcode == kM3x4 || ins.opcode == kM3x3 || ins.opcode == kM3x2;
        int rows = 4;
        if (ins.opcode == kM4x3 || ins.opcode == kM3x3) rows = 3;
        if (ins.opcode == kM3x2) rows = 2;
        const std::string v = src(0);
        value = "vec4(";
        for (int r = 0; r < 4; ++r) {
          if (r) value += ", ";
          if (r >= rows) {
            value += "0.0";
          } else if (three) {
            value += "dot((" + v + ").xyz, " + Row(s[1], r) + ".xyz)";
          } else {
            value += "dot(" + v + ", " + Row(s[1], r) + ")";
          }
        }
        value += ")";
        mask &= static_cast<uint8_t>((1 << rows) - 1);
        if (!mask) return "";
        break;
      }
      default: return "  // unsupported instruction\n";  // unreachable: the decoder rejects it
    }
    return Assign(DestName(ins.dest), mask, value);
  }

  const Program& p_;
  std::set<uint32_t> inputs_;
  bool relative_ = false;
};

}  // namespace

std::string TranslateVertexProgram(const Program& program, const GlslFrame& frame) {
  return VertexTranslator(program).Run(frame);
}

}  // namespace platform::shader
