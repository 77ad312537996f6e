#include "disassembler.h"

#include <cstdio>

#include "platform/d3d8/shader/decoder.h"

namespace shasm {

using namespace platform::shader;

namespace {

std::string Components(uint8_t mask, bool pixel) {
  const char* names = pixel ? "rgba" : "xyzw";
  std::string s;
  for (int i = 0; i < 4; ++i)
    if (mask & (1 << i)) s += names[i];
  return s;
}

// The shortest swizzle text that the assembler widens back to the same swizzle.
std::string SwizzleText(uint8_t swizzle, bool pixel) {
  if (swizzle == kIdentitySwizzle) return "";
  const char* names = pixel ? "rgba" : "xyzw";
  int length = 4;
  while (length > 1 && SwizzleComponent(swizzle, length - 1) == SwizzleComponent(swizzle, length - 2)) --length;
  std::string s = ".";
  for (int i = 0; i < length; ++i) s += names[SwizzleComponent(swizzle, i)];
  return s;
}

std::string Register(const Version& v, RegisterType type, uint16_t index, bool relative) {
  if (type == RegisterType::Const && (relative || !v.IsPixel())) {
    if (relative) return index ? "c[a0.x + " + std::to_string(index) + "]" : "c[a0.x]";
  }
  return RegisterName(v, type, index);
}

std::string Dest(const Version& v, const DestParam& d) {
  std::string s = Register(v, d.type, d.index, false);
  if (d.writeMask != 0xF) s += "." + Components(d.writeMask, v.IsPixel());
  return s;
}

std::string Source(const Version& v, const Instruction& ins, const SourceParam& s) {
  std::string reg = Register(v, s.type, s.index, s.relative);
  // Texture coordinate sources of ps.1.4 read as positions, so they print as xyzw.
  const bool coordinates = v.IsPixel() && (ins.opcode == kTex || ins.opcode == kTexCoord);
  std::string swizzle = SwizzleText(s.swizzle, v.IsPixel() && !coordinates);
  // Scalar vertex instructions read x when no swizzle is written, so a full swizzle is spelt out.
  const bool scalar = ins.opcode == kRcp || ins.opcode == kRsq || ins.opcode == kExp || ins.opcode == kLog ||
                      ins.opcode == kExpP || ins.opcode == kLogP;
  if (!v.IsPixel() && scalar && s.swizzle == kIdentitySwizzle) swizzle = ".xyzw";
  switch (s.modifier) {
    case SourceModifier::None: return reg + swizzle;
    case SourceModifier::Negate: return "-" + reg + swizzle;
    case SourceModifier::Bias: return reg + "_bias" + swizzle;
    case SourceModifier::BiasNegate: return "-" + reg + "_bias" + swizzle;
    case SourceModifier::Sign: return reg + "_bx2" + swizzle;
    case SourceModifier::SignNegate: return "-" + reg + "_bx2" + swizzle;
    case SourceModifier::Complement: return "1-" + reg + swizzle;
    case SourceModifier::X2: return reg + "_x2" + swizzle;
    case SourceModifier::X2Negate: return "-" + reg + "_x2" + swizzle;
    case SourceModifier::DivideZ: return reg + "_dz" + swizzle;
    case SourceModifier::DivideW: return reg + "_dw" + swizzle;
  }
  return reg;
}

std::string Float(float f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
  return buf;
}

}  // namespace

std::string Disassemble(const Program& program) {
  const Version& v = program.version;
  std::string out = v.Name() + "\n";
  if (program.commentBlocks)
    out += "; " + std::to_string(program.commentBlocks) + " comment blocks (" +
           std::to_string(program.commentWords) + " words) are not listed\n";
  for (const Instruction& ins : program.instructions) {
    const OpcodeInfo* info = LookupOpcode(ins.opcode, v);
    std::string line = ins.coissue ? "+ " : "";
    line += info ? info->name : "?";
    if (ins.hasDest) {
      if (ins.dest.shift == 1) line += "_x2";
      else if (ins.dest.shift == 2) line += "_x4";
      else if (ins.dest.shift == 3) line += "_x8";
      else if (ins.dest.shift == -1) line += "_d2";
      else if (ins.dest.shift == -2) line += "_d4";
      else if (ins.dest.shift == -3) line += "_d8";
      if (ins.dest.saturate) line += "_sat";
    }
    bool first = true;
    auto add = [&](const std::string& operand) {
      line += first ? " " : ", ";
      line += operand;
      first = false;
    };
    if (ins.hasDest) add(Dest(v, ins.dest));
    if (ins.opcode == kDef)
      for (float f : ins.defValues) add(Float(f));
    for (int i = 0; i < ins.sourceCount; ++i) add(Source(v, ins, ins.sources[i]));
    out += line + "\n";
  }
  return out;
}

}  // namespace shasm
