#include "platform/d3d8/shader/declaration.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace platform::shader {
namespace {

bool Fail(ShaderError* error, size_t offset, std::string message) {
  if (error) {
    error->offset = static_cast<uint32_t>(offset);
    error->message = std::move(message);
  }
  return false;
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

constexpr uint32_t kTokenNop = 0, kTokenStream = 1, kTokenStreamData = 2, kTokenTessellator = 3,
                   kTokenConstMem = 4, kTokenExtension = 5, kTokenEnd = 7;

}  // namespace

uint32_t DeclarationTypeSize(uint32_t type) {
  switch (type) {
    case 0: return 4;   // FLOAT1
    case 1: return 8;   // FLOAT2
    case 2: return 12;  // FLOAT3
    case 3: return 16;  // FLOAT4
    case 4: return 4;   // D3DCOLOR
    case 5: return 4;   // UBYTE4
    case 6: return 4;   // SHORT2
    case 7: return 8;   // SHORT4
    default: return 0;
  }
}

bool ParseDeclaration(const uint32_t* tokens, size_t maxWords, Declaration* declaration, ShaderError* error) {
  if (!tokens) return Fail(error, 0, "no declaration");
  Declaration d;
  bool haveStream = false;
  uint32_t stream = 0, offset = 0;
  uint32_t streamsSeen = 0, registersSeen = 0;
  size_t pos = 0;
  for (;;) {
    if (pos >= maxWords) return Fail(error, pos, "no D3DVSD_END within " + std::to_string(maxWords) + " words");
    const uint32_t tok = tokens[pos];
    if (tok == 0xFFFFFFFFu) break;
    const uint32_t kind = tok >> 29;
    switch (kind) {
      case kTokenNop:
        if (tok != 0) return Fail(error, pos, "D3DVSD_NOP token " + Hex(tok) + " has stray bits");
        ++pos;
        break;
      case kTokenStream: {
        if (tok & (1u << 28)) return Fail(error, pos, "tessellator streams are not supported");
        if (tok & 0x0FFFFFF0u) return Fail(error, pos, "D3DVSD_STREAM token " + Hex(tok) + " has stray bits");
        stream = tok & 0xF;
        if (streamsSeen & (1u << stream)) return Fail(error, pos, "stream " + std::to_string(stream) + " is declared twice");
        streamsSeen |= 1u << stream;
        haveStream = true;
        offset = 0;
        ++pos;
        break;
      }
      case kTokenStreamData: {
        if (!haveStream) return Fail(error, pos, "stream data before any D3DVSD_STREAM");
        if (tok & (1u << 28)) {
          if (tok & 0x0FF0FFFFu) return Fail(error, pos, "D3DVSD_SKIP token " + Hex(tok) + " has stray bits");
          offset += ((tok >> 16) & 0xF) * 4;
        } else {
          if (tok & 0x0FF0FFE0u) return Fail(error, pos, "D3DVSD_REG token " + Hex(tok) + " has stray bits");
          const uint32_t type = (tok >> 16) & 0xF;
          const uint32_t reg = tok & 0x1F;
          const uint32_t size = DeclarationTypeSize(type);
          if (!size) return Fail(error, pos, "unknown data type " + std::to_string(type));
          if (reg >= 16) return Fail(error, pos, "input register v" + std::to_string(reg) + " is out of range (v0-v15)");
          if (registersSeen & (1u << reg)) return Fail(error, pos, "input register v" + std::to_string(reg) + " is declared twice");
          registersSeen |= 1u << reg;
          d.elements.push_back({stream, offset, type, reg});
          offset += size;
        }
        ++pos;
        break;
      }
      case kTokenConstMem: {
        const uint32_t count = (tok >> 25) & 0xF;
        const uint32_t address = tok & 0x7F;
        if (tok & 0x01FFFF80u) return Fail(error, pos, "D3DVSD_CONST token " + Hex(tok) + " has stray bits");
        if (address + count > 96)
          return Fail(error, pos, "constants c" + std::to_string(address) + " + " + std::to_string(count) + " run past c95");
        if (count * 4 > maxWords - pos - 1) return Fail(error, pos, "constant block runs past the declaration");
        for (uint32_t i = 0; i < count; ++i) {
          DeclarationConstant c;
          c.reg = address + i;
          std::memcpy(c.value, &tokens[pos + 1 + i * 4], sizeof c.value);
          d.constants.push_back(c);
        }
        pos += 1 + count * 4;
        break;
      }
      case kTokenExtension: {
        const uint32_t count = (tok >> 24) & 0x1F;
        if (count > maxWords - pos - 1) return Fail(error, pos, "extension block runs past the declaration");
        pos += 1 + count;
        break;
      }
      case kTokenTessellator: return Fail(error, pos, "tessellator declarations are not supported");
      default: return Fail(error, pos, "unknown declaration token " + Hex(tok));
    }
  }
  d.tokenCount = pos + 1;
  *declaration = std::move(d);
  return true;
}

}  // namespace platform::shader
