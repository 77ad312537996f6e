// The typed form of a shader token stream. Only the decoder builds it from tokens, and only
// after checking every field, so everything downstream (validator, disassembler, GLSL
// translation) can trust it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/shader/tokens.h"

namespace platform::shader {

enum class ShaderType : uint8_t { Vertex, Pixel };

struct Version {
  ShaderType type = ShaderType::Vertex;
  uint8_t major = 1;
  uint8_t minor = 1;
  uint16_t Code() const { return static_cast<uint16_t>(major << 8 | minor); }
  bool IsPixel() const { return type == ShaderType::Pixel; }
  uint32_t Token() const {
    return (type == ShaderType::Vertex ? kVertexVersionBase : kPixelVersionBase) | Code();
  }
  std::string Name() const;  // "vs.1.1", "ps.1.4"
};

struct DestParam {
  RegisterType type = RegisterType::Temp;
  uint16_t index = 0;
  uint8_t writeMask = 0xF;
  bool saturate = false;
  int8_t shift = 0;  // 1 = _x2, 2 = _x4, 3 = _x8, -1 = _d2, -2 = _d4, -3 = _d8
};

struct SourceParam {
  RegisterType type = RegisterType::Temp;
  uint16_t index = 0;
  uint8_t swizzle = kIdentitySwizzle;
  SourceModifier modifier = SourceModifier::None;
  bool relative = false;  // c[a0.x + index]
};

// What an instruction is, for ordering rules and translation.
enum class OpClass : uint8_t { Arithmetic, Texture, Def, Phase, Nop };

struct OpcodeInfo {
  uint16_t opcode;
  const char* name;
  bool hasDest;
  uint8_t sourceCount;
  OpClass opClass;
  uint8_t slots;  // instruction slots counted against the length limit
};

// The form an opcode takes in a version, or nullptr when the version has no such instruction.
const OpcodeInfo* LookupOpcode(uint16_t opcode, const Version& version);
// The same by assembly name ("texld", "m4x4"), for the assembler.
const OpcodeInfo* LookupOpcodeByName(const std::string& name, const Version& version);

struct Instruction {
  uint16_t opcode = kNop;
  bool coissue = false;
  uint32_t offset = 0;  // index of the instruction token in the stream
  bool hasDest = false;
  DestParam dest;
  uint8_t sourceCount = 0;
  SourceParam sources[3];
  float defValues[4] = {0, 0, 0, 0};
};

struct Program {
  Version version;
  std::vector<Instruction> instructions;
  uint32_t commentBlocks = 0;  // comment blocks are skipped; their count and size are kept
  uint32_t commentWords = 0;   // for reports
  uint32_t tokenCount = 0;    // words in the stream, end token included
};

// Writes a program back as tokens. The decoder accepts only what this writes, so a decoded
// stream without comments re-encodes to the same words.
std::vector<uint32_t> Encode(const Program& program);
uint32_t EncodeDest(const DestParam& dest);
uint32_t EncodeSource(const SourceParam& source);

}  // namespace platform::shader
