// ps.1.0 - ps.1.4 to GLSL. Registers are vec4 locals; arithmetic results are kept in the
// range the hardware of the time had ([-1, 1] before ps.1.4, [-8, 8] in ps.1.4), constants
// are read clamped to [-1, 1], and the colour is r0 at the end.

#include "platform/d3d8/shader/glsl.h"
#include "platform/d3d8/shader/glsl_common.h"

namespace platform::shader {
namespace {

using glsl::Assign;
using glsl::Float;

class PixelTranslator {
 public:
  PixelTranslator(const Program& p, const SamplerKinds& kinds) : p_(p), kinds_(kinds) {
    ps14_ = p.version.minor >= 4;
    range_ = ps14_ ? "8.0" : "1.0";
  }

  std::string Run(const GlslFrame& frame) {
    std::string body;
    const auto& list = p_.instructions;
    for (size_t i = 0; i < list.size(); ++i) {
      // A co-issued pair reads its sources before either writes.
      if (i + 1 < list.size() && list[i + 1].coissue) {
        std::string first, second;
        body += Value(list[i], 0, &first);
        body += Value(list[i + 1], 1, &second);
        body += first + second;
        ++i;
        continue;
      }
      std::string write;
      body += Value(list[i], 0, &write);
      body += write;
    }

    std::string out = frame.prelude;
    for (int stage = 0; stage < 8; ++stage) {
      if (!(sampled_ & (1u << stage))) continue;
      const std::string n = std::to_string(stage);
      out += "vec4 d3dSample" + n + "(vec3 c) { return ";
      switch (kinds_[stage]) {
        case SamplerKind::Flat: out += "texture(d3dSampler2D_" + n + ", c.xy)"; break;
        case SamplerKind::Cube: out += "texture(d3dSamplerCube_" + n + ", c)"; break;
        case SamplerKind::None: out += "vec4(0.0, 0.0, 0.0, 1.0)"; break;
      }
      out += "; }\n";
    }
    out += "void main() {\n";
    const int temps = ps14_ ? 6 : 2;
    for (int r = 0; r < temps; ++r) out += "  vec4 r" + std::to_string(r) + " = vec4(0.0);\n";
    if (!ps14_)
      for (int t = 0; t < 4; ++t) out += "  vec4 t" + std::to_string(t) + " = vec4(0.0);\n";
    for (int c = 0; c < 8; ++c) {
      if (!(constants_ & (1u << c))) continue;
      out += "  vec4 c" + std::to_string(c) + " = clamp(psConst[" + std::to_string(c) + "], -1.0, 1.0);\n";
    }
    out += "  vec4 v0 = vD3DColor0;\n  vec4 v1 = vD3DColor1;\n";
    if (padRows_) out += "  float d3dPad0 = 0.0;\n  float d3dPad1 = 0.0;\n";
    out += body;
    out += "  vec4 d3dColor = r0;\n";
    out += frame.epilogue;
    out += "}\n";
    return out;
  }

  uint32_t sampled() const { return sampled_; }

 private:
  std::string Coord(uint32_t stage) { return "vD3DTex" + std::to_string(stage); }

  std::string Sample(uint32_t stage, const std::string& coord) {
    sampled_ |= 1u << stage;
    return "d3dSample" + std::to_string(stage) + "(" + coord + ")";
  }

  std::string Register(RegisterType type, uint32_t index) {
    const std::string n = std::to_string(index);
    switch (type) {
      case RegisterType::Temp: return "r" + n;
      case RegisterType::Input: return "v" + n;
      case RegisterType::Const:
        constants_ |= 1u << index;
        return "c" + n;
      case RegisterType::Address: return ps14_ ? Coord(index) : "t" + n;
      default: return "vec4(0.0)";
    }
  }

  std::string Modified(const std::string& v, SourceModifier m) {
    switch (m) {
      case SourceModifier::None: return v;
      case SourceModifier::Negate: return "(-" + v + ")";
      case SourceModifier::Bias: return "(" + v + " - 0.5)";
      case SourceModifier::BiasNegate: return "(0.5 - " + v + ")";
      case SourceModifier::Sign: return "(2.0 * " + v + " - 1.0)";
      case SourceModifier::SignNegate: return "(1.0 - 2.0 * " + v + ")";
      case SourceModifier::Complement: return "(1.0 - " + v + ")";
      case SourceModifier::X2: return "(2.0 * " + v + ")";
      case SourceModifier::X2Negate: return "(-2.0 * " + v + ")";
      // Projective divides of ps.1.4 texture coordinates: x and y by z or by w.
      case SourceModifier::DivideZ: return "vec4(" + v + ".xy / " + v + ".z, " + v + ".zw)";
      case SourceModifier::DivideW: return "vec4(" + v + ".xy / " + v + ".w, " + v + ".zw)";
    }
    return v;
  }

  std::string Source(const SourceParam& s) {
    std::string v = Register(s.type, s.index) + glsl::SwizzleSuffix(s.swizzle);
    if (s.modifier == SourceModifier::DivideZ || s.modifier == SourceModifier::DivideW) v = "(" + v + ")";
    return Modified(v, s.modifier);
  }

  std::string DestName(const DestParam& d) {
    return (d.type == RegisterType::Temp ? "r" : "t") + std::to_string(d.index);
  }

  // Scale, saturate or range-limit an arithmetic result.
  std::string Result(const DestParam& d, const std::string& value) {
    std::string v = "(" + value + ")";
    switch (d.shift) {
      case 1: v += " * 2.0"; break;
      case 2: v += " * 4.0"; break;
      case 3: v += " * 8.0"; break;
      case -1: v += " * 0.5"; break;
      case -2: v += " * 0.25"; break;
      case -3: v += " * 0.125"; break;
      default: break;
    }
    if (d.saturate) return "clamp(" + v + ", 0.0, 1.0)";
    return "clamp(" + v + ", -" + range_ + ", " + range_ + ")";
  }

  std::string BumpMatrix(uint32_t stage) { return "d3dBumpEnvMat[" + std::to_string(stage) + "]"; }

  // Emits the statements computing an instruction into a value named by `slot`, and puts the
  // statement writing it into *write (kept apart so co-issued pairs read before writing).
  std::string Value(const Instruction& ins, int slot, std::string* write) {
    const SourceParam* s = ins.sources;
    auto src = [&](int i) { return Source(s[i]); };
    (void)slot;
    const std::string tmp = "d3dValue" + std::to_string(next_++);
    const uint32_t m = ins.dest.index;
    const std::string mc = Coord(m);
    std::string code;
    write->clear();
    auto texWrite = [&](const std::string& value) { *write = Assign(DestName(ins.dest), ins.dest.writeMask, value); };
    auto arith = [&](const std::string& value) {
      code = "  vec4 " + tmp + " = " + Result(ins.dest, value) + ";\n";
      *write = Assign(DestName(ins.dest), ins.dest.writeMask, tmp);
    };
    switch (ins.opcode) {
      case kNop: case kDef: return "";
      case kPhase: return "  // phase\n";
      case kMov: arith(src(0)); break;
      case kAdd: arith(src(0) + " + " + src(1)); break;
      case kSub: arith(src(0) + " - " + src(1)); break;
      case kMul: arith(src(0) + " * " + src(1)); break;
      case kMad: arith(src(0) + " * " + src(1) + " + " + src(2)); break;
      case kLrp: arith("mix(" + src(2) + ", " + src(1) + ", " + src(0) + ")"); break;
      case kDp3: arith("vec4(dot((" + src(0) + ").xyz, (" + src(1) + ").xyz))"); break;
      case kDp4: arith("vec4(dot(" + src(0) + ", " + src(1) + "))"); break;
      case kCnd: arith("mix(" + src(2) + ", " + src(1) + ", greaterThan(" + src(0) + ", vec4(0.5)))"); break;
      case kCmp: arith("mix(" + src(2) + ", " + src(1) + ", greaterThanEqual(" + src(0) + ", vec4(0.0)))"); break;
      case kBem: {
        const std::string a = src(0), b = src(1), mat = BumpMatrix(m);
        arith("vec4((" + a + ").x + " + mat + ".x * (" + b + ").x + " + mat + ".z * (" + b + ").y, (" + a +
              ").y + " + mat + ".y * (" + b + ").x + " + mat + ".w * (" + b + ").y, 0.0, 0.0)");
        break;
      }
      case kTex:
        if (!ps14_) {
          texWrite(Sample(m, mc + ".xyz"));
        } else {
          texWrite(Sample(m, "(" + src(0) + ").xyz"));
        }
        break;
      case kTexCoord:
        if (!ps14_) texWrite("vec4(clamp(" + mc + ".xyz, 0.0, 1.0), 1.0)");
        else texWrite(src(0));
        break;
      case kTexKill: {
        std::string v = ins.dest.type == RegisterType::Temp ? "r" + std::to_string(m) : mc;
        code = "  if (any(lessThan(" + v + ".xyz, vec3(0.0)))) discard;\n";
        break;
      }
      case kTexDepth:
        code = "  gl_FragDepth = clamp(r5.y == 0.0 ? 1.0 : r5.x / r5.y, 0.0, 1.0);\n";
        break;
      case kTexBem: case kTexBemL: {
        const std::string b = tmp + "b", mat = BumpMatrix(m);
        code = "  vec4 " + b + " = " + src(0) + ";\n";
        std::string sample = Sample(m, "vec3(" + mc + ".x + " + mat + ".x * " + b + ".x + " + mat + ".z * " + b +
                                           ".y, " + mc + ".y + " + mat + ".y * " + b + ".x + " + mat + ".w * " + b +
                                           ".y, " + mc + ".z)");
        if (ins.opcode == kTexBemL) {
          const std::string lum = "d3dBumpEnvLuminance[" + std::to_string(m) + "]";
          sample = sample + " * clamp(" + b + ".z * " + lum + ".x + " + lum + ".y, 0.0, 1.0)";
        }
        texWrite(sample);
        break;
      }
      case kTexReg2AR: texWrite(Sample(m, "vec3((" + src(0) + ").w, (" + src(0) + ").x, 0.5)")); break;
      case kTexReg2GB: texWrite(Sample(m, "vec3((" + src(0) + ").y, (" + src(0) + ").z, 0.5)")); break;
      case kTexReg2RGB: texWrite(Sample(m, "(" + src(0) + ").xyz")); break;
      case kTexDp3Tex: texWrite(Sample(m, "vec3(dot(" + mc + ".xyz, (" + src(0) + ").xyz), 0.0, 0.0)")); break;
      case kTexDp3: texWrite("vec4(dot(" + mc + ".xyz, (" + src(0) + ").xyz))"); break;
      case kTexM3x2Pad: case kTexM3x3Pad: {
        // The first pad of a matrix is row 0, the second row 1.
        padRows_ = true;
        const int row = (ins.opcode == kTexM3x3Pad && lastWasPad_) ? 1 : 0;
        code = "  d3dPad" + std::to_string(row) + " = dot(" + mc + ".xyz, (" + src(0) + ").xyz);\n";
        lastWasPad_ = true;
        return code;
      }
      case kTexM3x2Tex:
        texWrite(Sample(m, "vec3(d3dPad0, dot(" + mc + ".xyz, (" + src(0) + ").xyz), 0.0)"));
        break;
      case kTexM3x2Depth:
        code = "  { float w = dot(" + mc + ".xyz, (" + src(0) + ").xyz);\n"
               "    gl_FragDepth = clamp(w == 0.0 ? 1.0 : d3dPad0 / w, 0.0, 1.0); }\n";
        texWrite("vec4(0.0)");
        break;
      case kTexM3x3Tex: case kTexM3x3: case kTexM3x3Spec: case kTexM3x3VSpec: {
        const std::string n = tmp + "n";
        code = "  vec3 " + n + " = vec3(d3dPad0, d3dPad1, dot(" + mc + ".xyz, (" + src(0) + ").xyz));\n";
        if (ins.opcode == kTexM3x3) {
          texWrite("vec4(" + n + ", 1.0)");
        } else if (ins.opcode == kTexM3x3Tex) {
          texWrite(Sample(m, n));
        } else {
          const std::string e = tmp + "e";
          if (ins.opcode == kTexM3x3Spec)
            code += "  vec3 " + e + " = (" + src(1) + ").xyz;\n";
          else
            code += "  vec3 " + e + " = vec3(" + Coord(m - 2) + ".w, " + Coord(m - 1) + ".w, " + mc + ".w);\n";
          // Reflection of the eye vector about the normal, which need not be unit length.
          code += "  float " + tmp + "d = dot(" + n + ", " + n + ");\n";
          texWrite(Sample(m, "(" + tmp + "d == 0.0 ? -" + e + " : 2.0 * " + n + " * dot(" + n + ", " + e + ") / " +
                                 tmp + "d - " + e + ")"));
        }
        break;
      }
      default: return "  // unsupported instruction\n";  // unreachable: the decoder rejects it
    }
    lastWasPad_ = false;
    return code;
  }

  const Program& p_;
  SamplerKinds kinds_;
  bool ps14_ = false;
  std::string range_;
  uint32_t sampled_ = 0;
  uint32_t constants_ = 0;
  bool padRows_ = false;
  bool lastWasPad_ = false;
  int next_ = 0;
};

}  // namespace

std::string TranslatePixelProgram(const Program& program, const SamplerKinds& kinds, const GlslFrame& frame) {
  return PixelTranslator(program, kinds).Run(frame);
}

uint32_t SampledStages(const Program& program) {
  SamplerKinds none{};
  PixelTranslator t(program, none);
  t.Run(GlslFrame{});
  return t.sampled();
}

}  // namespace platform::shader
