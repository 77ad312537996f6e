// Which instructions each shader version has, with their operand counts. Shader model 1
// streams carry no instruction lengths, so this table is what walks a stream.
#include <cstring>

#include "platform/d3d8/shader/program.h"

namespace platform::shader {
namespace {

constexpr uint16_t kPs10 = 0x100, kPs12 = 0x102, kPs13 = 0x103, kPs14 = 0x104;
constexpr uint16_t kNone = 0xFFFF;

struct Entry {
  OpcodeInfo info;
  bool inVertex;
  uint16_t psFirst;  // first pixel version with this form, kNone if none
  uint16_t psLast;   // last pixel version with this form
};

constexpr OpClass A = OpClass::Arithmetic;
constexpr OpClass T = OpClass::Texture;

const Entry kEntries[] = {
    {{kNop, "nop", false, 0, OpClass::Nop, 0}, true, kPs10, kPs14},
    {{kMov, "mov", true, 1, A, 1}, true, kPs10, kPs14},
    {{kAdd, "add", true, 2, A, 1}, true, kPs10, kPs14},
    {{kSub, "sub", true, 2, A, 1}, true, kPs10, kPs14},
    {{kMad, "mad", true, 3, A, 1}, true, kPs10, kPs14},
    {{kMul, "mul", true, 2, A, 1}, true, kPs10, kPs14},
    {{kRcp, "rcp", true, 1, A, 1}, true, kNone, kNone},
    {{kRsq, "rsq", true, 1, A, 1}, true, kNone, kNone},
    {{kDp3, "dp3", true, 2, A, 1}, true, kPs10, kPs14},
    {{kDp4, "dp4", true, 2, A, 1}, true, kPs12, kPs14},
    {{kMin, "min", true, 2, A, 1}, true, kNone, kNone},
    {{kMax, "max", true, 2, A, 1}, true, kNone, kNone},
    {{kSlt, "slt", true, 2, A, 1}, true, kNone, kNone},
    {{kSge, "sge", true, 2, A, 1}, true, kNone, kNone},
    {{kExp, "exp", true, 1, A, 1}, true, kNone, kNone},
    {{kLog, "log", true, 1, A, 1}, true, kNone, kNone},
    {{kLit, "lit", true, 1, A, 1}, true, kNone, kNone},
    {{kDst, "dst", true, 2, A, 1}, true, kNone, kNone},
    {{kLrp, "lrp", true, 3, A, 1}, false, kPs10, kPs14},
    {{kFrc, "frc", true, 1, A, 1}, true, kNone, kNone},
    {{kM4x4, "m4x4", true, 2, A, 4}, true, kNone, kNone},
    {{kM4x3, "m4x3", true, 2, A, 3}, true, kNone, kNone},
    {{kM3x4, "m3x4", true, 2, A, 4}, true, kNone, kNone},
    {{kM3x3, "m3x3", true, 2, A, 3}, true, kNone, kNone},
    {{kM3x2, "m3x2", true, 2, A, 2}, true, kNone, kNone},
    {{kTexCoord, "texcoord", true, 0, T, 1}, false, kPs10, kPs13},
    {{kTexCoord, "texcrd", true, 1, T, 1}, false, kPs14, kPs14},
    {{kTexKill, "texkill", true, 0, T, 1}, false, kPs10, kPs14},
    {{kTex, "tex", true, 0, T, 1}, false, kPs10, kPs13},
    {{kTex, "texld", true, 1, T, 1}, false, kPs14, kPs14},
    {{kTexBem, "texbem", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexBemL, "texbeml", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexReg2AR, "texreg2ar", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexReg2GB, "texreg2gb", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexM3x2Pad, "texm3x2pad", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexM3x2Tex, "texm3x2tex", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexM3x3Pad, "texm3x3pad", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexM3x3Tex, "texm3x3tex", true, 1, T, 1}, false, kPs10, kPs13},
    {{kTexM3x3Spec, "texm3x3spec", true, 2, T, 1}, false, kPs10, kPs13},
    {{kTexM3x3VSpec, "texm3x3vspec", true, 1, T, 1}, false, kPs10, kPs13},
    {{kExpP, "expp", true, 1, A, 1}, true, kNone, kNone},
    {{kLogP, "logp", true, 1, A, 1}, true, kNone, kNone},
    {{kCnd, "cnd", true, 3, A, 1}, false, kPs10, kPs14},
    {{kDef, "def", true, 0, OpClass::Def, 0}, true, kPs10, kPs14},
    {{kTexReg2RGB, "texreg2rgb", true, 1, T, 1}, false, kPs12, kPs13},
    {{kTexDp3Tex, "texdp3tex", true, 1, T, 1}, false, kPs12, kPs13},
    {{kTexM3x2Depth, "texm3x2depth", true, 1, T, 1}, false, kPs13, kPs13},
    {{kTexDp3, "texdp3", true, 1, T, 1}, false, kPs12, kPs13},
    {{kTexM3x3, "texm3x3", true, 1, T, 1}, false, kPs12, kPs13},
    {{kTexDepth, "texdepth", true, 0, T, 1}, false, kPs14, kPs14},
    {{kCmp, "cmp", true, 3, A, 1}, false, kPs12, kPs14},
    {{kBem, "bem", true, 2, A, 1}, false, kPs14, kPs14},
    {{kPhase, "phase", false, 0, OpClass::Phase, 0}, false, kPs14, kPs14},
};

bool Available(const Entry& e, const Version& v) {
  if (!v.IsPixel()) return e.inVertex;
  return e.psFirst != kNone && v.Code() >= e.psFirst && v.Code() <= e.psLast;
}

}  // namespace

const OpcodeInfo* LookupOpcode(uint16_t opcode, const Version& version) {
  for (const Entry& e : kEntries)
    if (e.info.opcode == opcode && Available(e, version)) return &e.info;
  return nullptr;
}

const OpcodeInfo* LookupOpcodeByName(const std::string& name, const Version& version) {
  for (const Entry& e : kEntries)
    if (name == e.info.name && Available(e, version)) return &e.info;
  return nullptr;
}

std::string Version::Name() const {
  return std::string(type == ShaderType::Vertex ? "vs." : "ps.") + std::to_string(major) + "." +
         std::to_string(minor);
}

uint32_t EncodeDest(const DestParam& d) {
  return kParamBit | (static_cast<uint32_t>(d.type) << kRegTypeShift) | (d.index & kRegNumMask) |
         (static_cast<uint32_t>(d.writeMask & 0xF) << kWriteMaskShift) |
         ((d.saturate ? kResultModSaturate : 0u) << kResultModShift) |
         ((static_cast<uint32_t>(d.shift) & 0xF) << kDestShiftShift);
}

uint32_t EncodeSource(const SourceParam& s) {
  return kParamBit | (static_cast<uint32_t>(s.type) << kRegTypeShift) | (s.index & kRegNumMask) |
         (s.relative ? kRelativeBit : 0u) | (static_cast<uint32_t>(s.swizzle) << kSwizzleShift) |
         (static_cast<uint32_t>(s.modifier) << kSourceModShift);
}

std::vector<uint32_t> Encode(const Program& program) {
  std::vector<uint32_t> out;
  out.push_back(program.version.Token());
  for (const Instruction& ins : program.instructions) {
    out.push_back(ins.opcode | (ins.coissue ? kCoissueBit : 0u));
    if (ins.hasDest) out.push_back(EncodeDest(ins.dest));
    if (ins.opcode == kDef) {
      for (float f : ins.defValues) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        out.push_back(bits);
      }
    }
    for (int i = 0; i < ins.sourceCount; ++i) out.push_back(EncodeSource(ins.sources[i]));
  }
  out.push_back(kEndToken);
  return out;
}

}  // namespace platform::shader
