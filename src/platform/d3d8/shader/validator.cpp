// Rules that span instructions. Together with the decoder's per-token checks they keep the
// translator from ever meeting a program whose meaning is unclear.
#include <string>

#include "platform/d3d8/shader/decoder.h"

namespace platform::shader {
namespace {

bool Fail(ShaderError* error, uint32_t offset, std::string message) {
  if (error) {
    error->offset = offset;
    error->message = std::move(message);
  }
  return false;
}

const char* Name(const Instruction& ins, const Version& v) {
  const OpcodeInfo* info = LookupOpcode(ins.opcode, v);
  return info ? info->name : "?";
}

bool ValidateVertex(const Program& p, ShaderError* error) {
  unsigned slots = 0;
  uint8_t positionMask = 0;
  bool sawOther = false;
  for (const Instruction& ins : p.instructions) {
    const OpcodeInfo* info = LookupOpcode(ins.opcode, p.version);
    if (ins.opcode == kDef) {
      if (sawOther) return Fail(error, ins.offset, "def must come before the other instructions");
      continue;
    }
    if (ins.opcode != kNop) sawOther = true;
    slots += info->slots;
    if (slots > 128) return Fail(error, ins.offset, "more than 128 instruction slots in " + p.version.Name());
    if (ins.hasDest && ins.dest.type == RegisterType::RastOut && ins.dest.index == kRastOutPosition)
      positionMask |= ins.dest.writeMask;
    // Matrix macros compute rows one after another, so the result must not overwrite the
    // vector they read.
    if (ins.opcode >= kM4x4 && ins.opcode <= kM3x2 && ins.sources[0].type == ins.dest.type &&
        ins.sources[0].index == ins.dest.index && ins.dest.type == RegisterType::Temp)
      return Fail(error, ins.offset, std::string(Name(ins, p.version)) + " cannot write the register it reads");
  }
  if (positionMask != 0xF) return Fail(error, p.tokenCount ? p.tokenCount - 1 : 0, "the shader does not write all of oPos");
  return true;
}

bool ValidatePixel11(const Program& p, ShaderError* error) {
  bool arithmeticSeen = false;
  bool otherSeen = false;
  unsigned texCount = 0, aluCount = 0;
  int lastTexDest = -1;
  bool written[4] = {false, false, false, false};
  const auto& list = p.instructions;
  for (size_t i = 0; i < list.size(); ++i) {
    const Instruction& ins = list[i];
    const OpcodeInfo* info = LookupOpcode(ins.opcode, p.version);
    if (ins.opcode == kDef) {
      if (otherSeen) return Fail(error, ins.offset, "def must come before the other instructions");
      continue;
    }
    if (ins.opcode == kNop) continue;
    otherSeen = true;
    if (info->opClass == OpClass::Arithmetic) {
      arithmeticSeen = true;
      if (!ins.coissue && ++aluCount > 8)
        return Fail(error, ins.offset, "more than 8 arithmetic instructions in " + p.version.Name());
      if (ins.opcode == kCnd && !(ins.sources[0].type == RegisterType::Temp && ins.sources[0].index == 0 &&
                                  ins.sources[0].swizzle == ReplicateSwizzle(3)))
        return Fail(error, ins.offset, "cnd needs r0.a as its condition before ps.1.4");
      continue;
    }
    // Texture instructions.
    if (arithmeticSeen)
      return Fail(error, ins.offset, std::string(info->name) + " comes after an arithmetic instruction");
    if (++texCount > 4) return Fail(error, ins.offset, "more than 4 texture instructions");
    const int dest = ins.dest.index;
    if (ins.opcode == kTexKill) continue;  // reads the coordinate set, writes nothing
    if (dest <= lastTexDest)
      return Fail(error, ins.offset, "texture register t" + std::to_string(dest) +
                                         " is not after the previous texture instruction's register");
    lastTexDest = dest;
    if (ins.sourceCount > 0) {
      const int src = ins.sources[0].index;
      if (src >= dest || !written[src])
        return Fail(error, ins.offset, std::string(info->name) + " reads t" + std::to_string(src) +
                                           ", which no earlier texture instruction wrote");
    }
    // Matrix sequences: pads must be followed by the rest of their matrix on the next registers.
    const bool m2 = ins.opcode == kTexM3x2Pad;
    const bool m3 = ins.opcode == kTexM3x3Pad;
    if (m2 || m3) {
      const int rows = m2 ? 2 : 3;
      for (int r = 1; r < rows; ++r) {
        if (i + r >= list.size())
          return Fail(error, ins.offset, std::string(info->name) + " is not followed by the rest of its matrix");
        const Instruction& next = list[i + r];
        const bool last = r == rows - 1;
        bool ok;
        if (m2) ok = next.opcode == kTexM3x2Tex || next.opcode == kTexM3x2Depth;
        else if (last) ok = next.opcode == kTexM3x3Tex || next.opcode == kTexM3x3Spec ||
                            next.opcode == kTexM3x3VSpec || next.opcode == kTexM3x3;
        else ok = next.opcode == kTexM3x3Pad;
        if (!ok || next.dest.index != dest + r || next.sources[0].index != ins.sources[0].index ||
            next.sources[0].modifier != ins.sources[0].modifier)
          return Fail(error, next.offset, std::string(info->name) + " t" + std::to_string(dest) +
                                              " must be followed by the rest of its matrix on t" +
                                              std::to_string(dest + r) + " with the same source");
      }
      for (int r = 0; r < rows; ++r) written[dest + r] = true;
      texCount += rows - 1;
      if (texCount > 4) return Fail(error, ins.offset, "more than 4 texture instructions");
      lastTexDest = dest + rows - 1;
      i += rows - 1;
      continue;
    }
    if (ins.opcode == kTexM3x2Tex || ins.opcode == kTexM3x2Depth || ins.opcode == kTexM3x3Tex ||
        ins.opcode == kTexM3x3Spec || ins.opcode == kTexM3x3VSpec || ins.opcode == kTexM3x3)
      return Fail(error, ins.offset, std::string(info->name) + " is not preceded by its pad instructions");
    written[dest] = true;
  }
  return true;
}

bool ValidatePixel14(const Program& p, ShaderError* error) {
  int phaseCount = 0;
  for (const Instruction& ins : p.instructions)
    if (ins.opcode == kPhase) ++phaseCount;
  if (phaseCount > 1) return Fail(error, 0, "more than one phase marker");
  int phase = phaseCount == 1 ? 1 : 2;
  bool arithmeticSeen = false;
  bool otherSeen = false;
  unsigned texCount = 0, aluCount = 0;
  unsigned texWritten = 0;  // r registers written by texld/texcrd in this phase
  unsigned everWritten = 0;
  for (const Instruction& ins : p.instructions) {
    const OpcodeInfo* info = LookupOpcode(ins.opcode, p.version);
    if (ins.opcode == kDef) {
      if (otherSeen) return Fail(error, ins.offset, "def must come before the other instructions");
      continue;
    }
    if (ins.opcode == kNop) continue;
    otherSeen = true;
    if (ins.opcode == kPhase) {
      phase = 2;
      arithmeticSeen = false;
      texCount = aluCount = 0;
      texWritten = 0;
      continue;
    }
    for (int s = 0; s < ins.sourceCount; ++s)
      if (ins.sources[s].type == RegisterType::Input && phase == 1)
        return Fail(error, ins.offset, "v registers cannot be read before the phase marker");
    if (info->opClass == OpClass::Arithmetic) {
      arithmeticSeen = true;
      if (!ins.coissue && ++aluCount > 8)
        return Fail(error, ins.offset, "more than 8 arithmetic instructions in a phase");
      if (ins.opcode == kBem && phase != 1 && phaseCount == 1)
        return Fail(error, ins.offset, "bem is only allowed before the phase marker");
      everWritten |= 1u << ins.dest.index;
      continue;
    }
    if (arithmeticSeen)
      return Fail(error, ins.offset, std::string(info->name) + " comes after an arithmetic instruction in its phase");
    if (++texCount > 6) return Fail(error, ins.offset, "more than 6 texture instructions in a phase");
    if (ins.opcode == kTexDepth && phase != 2)
      return Fail(error, ins.offset, "texdepth is only allowed after the phase marker");
    if (ins.opcode == kTex || ins.opcode == kTexCoord) {
      const unsigned bit = 1u << ins.dest.index;
      if (texWritten & bit)
        return Fail(error, ins.offset, "r" + std::to_string(ins.dest.index) +
                                           " is written by two texture instructions in one phase");
      texWritten |= bit;
      const SourceParam& s = ins.sources[0];
      if (s.type == RegisterType::Temp) {
        if (phase == 1) return Fail(error, ins.offset, "texld reads r registers only after the phase marker");
        if (!(everWritten & (1u << s.index)))
          return Fail(error, ins.offset, "texld reads r" + std::to_string(s.index) + ", which is not written before");
      }
      everWritten |= bit;
    }
  }
  return true;
}

bool ValidateCoissue(const Program& p, ShaderError* error) {
  const auto& list = p.instructions;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].coissue) continue;
    if (i == 0) return Fail(error, list[i].offset, "co-issued instruction has no partner");
    const Instruction& a = list[i - 1];
    const Instruction& b = list[i];
    const OpcodeInfo* ia = LookupOpcode(a.opcode, p.version);
    if (ia->opClass != OpClass::Arithmetic || a.coissue)
      return Fail(error, b.offset, "co-issued instruction does not follow a single arithmetic instruction");
    const uint8_t ma = a.dest.writeMask, mb = b.dest.writeMask;
    const bool ps14 = p.version.minor >= 4;
    auto colour = [&](uint8_t m) { return ps14 ? (m != 0 && (m & 0x8) == 0) : m == 0x7; };
    const bool ok = (colour(ma) && mb == 0x8) || (ma == 0x8 && colour(mb));
    if (!ok) return Fail(error, b.offset, "co-issued pair must write colour and alpha separately");
  }
  return true;
}

}  // namespace

bool Validate(const Program& p, ShaderError* error) {
  if (!p.version.IsPixel()) return ValidateVertex(p, error);
  if (!ValidateCoissue(p, error)) return false;
  return p.version.minor >= 4 ? ValidatePixel14(p, error) : ValidatePixel11(p, error);
}

}  // namespace platform::shader
