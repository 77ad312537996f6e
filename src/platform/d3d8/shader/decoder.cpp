#include "platform/d3d8/shader/decoder.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace platform::shader {
namespace {

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

bool Fail(ShaderError* error, size_t offset, std::string message) {
  if (error) {
    error->offset = static_cast<uint32_t>(offset);
    error->message = std::move(message);
  }
  return false;
}

enum class Role { Dest, Source, TexDest, TexSource, DefDest };

// How many registers of a type a version offers in a role; 0 where the type is not allowed.
uint32_t RegisterCount(const Version& v, RegisterType type, Role role) {
  if (!v.IsPixel()) {
    switch (role) {
      case Role::Dest:
        switch (type) {
          case RegisterType::Temp: return 12;
          case RegisterType::Address: return v.minor >= 1 ? 1 : 0;
          case RegisterType::RastOut: return 3;
          case RegisterType::AttrOut: return 2;
          case RegisterType::TexCrdOut: return 8;
          default: return 0;
        }
      case Role::Source:
        switch (type) {
          case RegisterType::Temp: return 12;
          case RegisterType::Input: return 16;
          case RegisterType::Const: return 96;
          default: return 0;
        }
      case Role::DefDest: return type == RegisterType::Const ? 96 : 0;
      default: return 0;
    }
  }
  const bool ps14 = v.minor >= 4;
  switch (role) {
    case Role::Dest:
      if (type == RegisterType::Temp) return ps14 ? 6 : 2;
      if (type == kTextureRegister && !ps14) return 4;
      return 0;
    case Role::Source:
      switch (type) {
        case RegisterType::Temp: return ps14 ? 6 : 2;
        case RegisterType::Const: return 8;
        case RegisterType::Input: return 2;
        case RegisterType::Address: return ps14 ? 0 : 4;
        default: return 0;
      }
    case Role::TexDest:
      if (ps14) return type == RegisterType::Temp ? 6 : 0;
      return type == kTextureRegister ? 4 : 0;
    case Role::TexSource:
      if (ps14) return (type == kTextureRegister || type == RegisterType::Temp) ? 6 : 0;
      return type == kTextureRegister ? 4 : 0;
    case Role::DefDest: return type == RegisterType::Const ? 8 : 0;
  }
  return 0;
}

std::string RangeText(const Version& v, RegisterType type, uint32_t count) {
  if (count == 1) return RegisterName(v, type, 0);
  return RegisterName(v, type, 0) + "-" + RegisterName(v, type, count - 1);
}

bool CheckRegister(const Version& v, RegisterType type, uint32_t index, Role role,
                   const char* what, size_t offset, ShaderError* error) {
  uint32_t count = RegisterCount(v, type, role);
  if (count == 0)
    return Fail(error, offset,
                std::string("register type ") + std::to_string(static_cast<int>(type)) + " (" +
                    RegisterName(v, type, index) + ") cannot be " + what + " in " + v.Name());
  if (index >= count)
    return Fail(error, offset,
                "register " + RegisterName(v, type, index) + " is out of range for " + v.Name() +
                    " (" + RangeText(v, type, count) + ")");
  return true;
}

bool CheckDest(const Version& v, const OpcodeInfo& info, uint32_t raw, size_t offset,
               DestParam* out, ShaderError* error) {
  if (!(raw & kParamBit))
    return Fail(error, offset, "expected a destination parameter token, found " + Hex(raw));
  if (raw & 0x0000E000u)
    return Fail(error, offset, "destination token " + Hex(raw) + " has reserved bits set");
  DestParam d;
  d.type = static_cast<RegisterType>((raw & kRegTypeMask) >> kRegTypeShift);
  d.index = static_cast<uint16_t>(raw & kRegNumMask);
  d.writeMask = static_cast<uint8_t>((raw & kWriteMaskMask) >> kWriteMaskShift);
  uint32_t mods = (raw & kResultModMask) >> kResultModShift;
  uint32_t shift = (raw & kDestShiftMask) >> kDestShiftShift;
  if (mods & ~kResultModSaturate)
    return Fail(error, offset, "unknown result modifier bits " + Hex(mods << kResultModShift));
  d.saturate = mods != 0;
  switch (shift) {
    case 0: d.shift = 0; break;
    case 1: d.shift = 1; break;
    case 2: d.shift = 2; break;
    case 3: d.shift = 3; break;
    case 0xF: d.shift = -1; break;
    case 0xE: d.shift = -2; break;
    case 0xD: d.shift = -3; break;
    default: return Fail(error, offset, "invalid result shift " + std::to_string(shift));
  }
  if (d.writeMask == 0) return Fail(error, offset, "destination writes no component");

  const bool pixel = v.IsPixel();
  const bool ps14 = pixel && v.minor >= 4;
  Role role = Role::Dest;
  if (info.opcode == kDef) role = Role::DefDest;
  else if (info.opClass == OpClass::Texture) role = Role::TexDest;
  if (info.opcode == kTexKill && ps14) {
    if (d.type != RegisterType::Temp && d.type != kTextureRegister)
      return Fail(error, offset, "texkill needs an r or t register in ps.1.4");
    if (d.index >= 6)
      return Fail(error, offset, "register " + RegisterName(v, d.type, d.index) + " is out of range");
  } else if (!CheckRegister(v, d.type, d.index, role, "written", offset, error)) {
    return false;
  }

  if (!pixel || info.opClass != OpClass::Arithmetic) {
    if (d.saturate || d.shift != 0)
      return Fail(error, offset, std::string(info.name) + " takes no result modifier in " + v.Name());
  } else if (!ps14 && (d.shift == 3 || d.shift < -1)) {
    return Fail(error, offset, "result shift _x8, _d4 and _d8 need ps.1.4");
  }

  if (info.opcode == kDef && d.writeMask != 0xF)
    return Fail(error, offset, "def must write all four components");
  if (!pixel) {
    if (d.type == RegisterType::Address) {
      if (info.opcode != kMov) return Fail(error, offset, "only mov can write a0");
      if (d.writeMask != 0x1) return Fail(error, offset, "a0 can only be written as a0.x");
    }
  } else if (info.opClass == OpClass::Texture) {
    uint8_t m = d.writeMask;
    bool ok = m == 0xF;
    if (ps14 && info.opcode == kTexCoord) ok = m == 0xF || m == 0x7 || m == 0x3;
    if (!ok) return Fail(error, offset, std::string(info.name) + " cannot take write mask " + std::to_string(m));
    if (info.opcode == kTexDepth && d.index != 5)
      return Fail(error, offset, "texdepth writes r5 only");
  } else if (info.opClass == OpClass::Arithmetic) {
    uint8_t m = d.writeMask;
    if (!ps14 && m != 0xF && m != 0x7 && m != 0x8)
      return Fail(error, offset, "write mask must be .rgba, .rgb or .a before ps.1.4");
    if (info.opcode == kBem && m != 0x3) return Fail(error, offset, "bem writes .rg only");
  }
  *out = d;
  return true;
}

bool SwizzleAllowed(const Version& v, uint8_t s, bool texSource) {
  if (!v.IsPixel()) return true;
  if (s == kIdentitySwizzle) return true;
  if (texSource) return v.minor >= 4 && (s == MakeSwizzle(0, 1, 2, 2) || s == MakeSwizzle(0, 1, 3, 3));
  // Replicates and the three rotations the pixel pipelines of the time offered.
  return s == ReplicateSwizzle(0) || s == ReplicateSwizzle(1) || s == ReplicateSwizzle(2) ||
         s == ReplicateSwizzle(3) || s == MakeSwizzle(1, 2, 0, 3) || s == MakeSwizzle(2, 0, 1, 3) ||
         s == MakeSwizzle(3, 2, 1, 0);
}

bool ModifierAllowed(const Version& v, const OpcodeInfo& info, SourceModifier m, bool texSource) {
  if (m == SourceModifier::None) return true;
  if (!v.IsPixel()) return m == SourceModifier::Negate;
  const bool ps14 = v.minor >= 4;
  if (texSource) {
    if (ps14) return m == SourceModifier::DivideZ || m == SourceModifier::DivideW;
    return m == SourceModifier::Sign;
  }
  (void)info;
  switch (m) {
    case SourceModifier::Negate: case SourceModifier::Bias: case SourceModifier::BiasNegate:
    case SourceModifier::Sign: case SourceModifier::SignNegate: case SourceModifier::Complement:
      return true;
    case SourceModifier::X2: case SourceModifier::X2Negate: return ps14;
    default: return false;
  }
}

bool CheckSource(const Version& v, const OpcodeInfo& info, int which, uint32_t raw, size_t offset,
                 SourceParam* out, ShaderError* error) {
  if (!(raw & kParamBit))
    return Fail(error, offset, "expected a source parameter token, found " + Hex(raw));
  if (raw & 0x0000C000u)
    return Fail(error, offset, "source token " + Hex(raw) + " has reserved bits set");
  SourceParam s;
  s.type = static_cast<RegisterType>((raw & kRegTypeMask) >> kRegTypeShift);
  s.index = static_cast<uint16_t>(raw & kRegNumMask);
  s.swizzle = static_cast<uint8_t>((raw & kSwizzleMask) >> kSwizzleShift);
  uint32_t mod = (raw & kSourceModMask) >> kSourceModShift;
  s.relative = (raw & kRelativeBit) != 0;
  if (mod >= kSourceModifierCount)
    return Fail(error, offset, "unknown source modifier " + std::to_string(mod));
  s.modifier = static_cast<SourceModifier>(mod);

  const bool texOp = info.opClass == OpClass::Texture;
  // texm3x3spec's second source is the eye-ray constant, not a texture register.
  const bool eyeConstant = info.opcode == kTexM3x3Spec && which == 1;
  Role role = texOp && !eyeConstant ? Role::TexSource : Role::Source;
  if (eyeConstant) {
    if (s.type != RegisterType::Const || s.index >= 8)
      return Fail(error, offset, "texm3x3spec needs a constant register c0-c7 as its eye vector");
  } else if (info.opcode == kTexCoord && v.IsPixel() && v.minor >= 4 && s.type != kTextureRegister) {
    return Fail(error, offset, "texcrd reads texture coordinates t0-t5 only");
  } else if (!CheckRegister(v, s.type, s.index, role, "read", offset, error)) {
    return false;
  }
  if (s.relative) {
    if (v.IsPixel() || v.minor < 1 || s.type != RegisterType::Const)
      return Fail(error, offset, "relative addressing is only for constants in vs.1.1");
  }
  // Matrix macros read consecutive registers from the second source.
  int rows = 0;
  if (which == 1) {
    switch (info.opcode) {
      case kM4x4: case kM3x4: rows = 4; break;
      case kM4x3: case kM3x3: rows = 3; break;
      case kM3x2: rows = 2; break;
      default: break;
    }
  }
  if (rows) {
    uint32_t count = RegisterCount(v, s.type, Role::Source);
    if (s.index + static_cast<uint32_t>(rows) > count)
      return Fail(error, offset, std::string(info.name) + " reads " + std::to_string(rows) +
                                     " registers from " + RegisterName(v, s.type, s.index) +
                                     ", past the last one");
    if (s.swizzle != kIdentitySwizzle || s.modifier != SourceModifier::None)
      return Fail(error, offset, std::string(info.name) + " takes no swizzle or negation on its matrix");
  }
  if (!SwizzleAllowed(v, s.swizzle, texOp && !eyeConstant))
    return Fail(error, offset, "swizzle " + Hex(s.swizzle) + " is not allowed here in " + v.Name());
  if (!ModifierAllowed(v, info, s.modifier, texOp && !eyeConstant))
    return Fail(error, offset, "source modifier " + std::to_string(mod) + " is not allowed here in " + v.Name());
  *out = s;
  return true;
}

}  // namespace

std::string ShaderError::ToString() const {
  return "token " + std::to_string(offset) + ": " + message;
}

std::string RegisterName(const Version& v, RegisterType type, uint32_t index) {
  const std::string n = std::to_string(index);
  switch (type) {
    case RegisterType::Temp: return "r" + n;
    case RegisterType::Input: return "v" + n;
    case RegisterType::Const: return "c" + n;
    case RegisterType::Address: return v.IsPixel() ? "t" + n : "a" + n;
    case RegisterType::RastOut:
      if (index == kRastOutPosition) return "oPos";
      if (index == kRastOutFog) return "oFog";
      if (index == kRastOutPointSize) return "oPts";
      return "oRast" + n;
    case RegisterType::AttrOut: return "oD" + n;
    case RegisterType::TexCrdOut: return "oT" + n;
  }
  return "?" + std::to_string(static_cast<int>(type)) + "_" + n;
}

bool Decode(const uint32_t* tokens, size_t count, Program* program, ShaderError* error) {
  Program p;
  if (count == 0 || tokens == nullptr) return Fail(error, 0, "empty shader stream");
  const uint32_t vt = tokens[0];
  if ((vt & 0xFFFF0000u) == kVertexVersionBase) p.version.type = ShaderType::Vertex;
  else if ((vt & 0xFFFF0000u) == kPixelVersionBase) p.version.type = ShaderType::Pixel;
  else return Fail(error, 0, "not a shader version token: " + Hex(vt));
  p.version.major = static_cast<uint8_t>((vt >> 8) & 0xFF);
  p.version.minor = static_cast<uint8_t>(vt & 0xFF);
  const bool supported = p.version.major == 1 &&
                         (p.version.IsPixel() ? p.version.minor <= 4 : p.version.minor <= 1);
  if (!supported)
    return Fail(error, 0, "unsupported shader version " + p.version.Name() + " (" + Hex(vt) + ")");

  size_t pos = 1;
  for (;;) {
    if (pos >= count) return Fail(error, count, "stream ends without the end token 0x0000FFFF");
    const uint32_t tok = tokens[pos];
    if (tok == kEndToken) {
      if (pos + 1 != count)
        return Fail(error, pos + 1, std::to_string(count - pos - 1) + " words follow the end token");
      break;
    }
    const uint16_t op = static_cast<uint16_t>(tok & kOpcodeMask);
    if (op == kComment) {
      if (tok & kParamBit) return Fail(error, pos, "comment token " + Hex(tok) + " has bit 31 set");
      const size_t words = (tok & kCommentSizeMask) >> kCommentSizeShift;
      if (words > count - pos - 1)
        return Fail(error, pos, "comment of " + std::to_string(words) +
                                    " words runs past the end of the stream (" +
                                    std::to_string(count) + " words)");
      p.commentWords += static_cast<uint32_t>(words);
      ++p.commentBlocks;
      pos += 1 + words;
      continue;
    }
    if (tok & kParamBit)
      return Fail(error, pos, "expected an instruction token, found parameter token " + Hex(tok));
    if (tok & 0x3FFF0000u)
      return Fail(error, pos, "instruction token " + Hex(tok) + " has reserved bits set");
    const OpcodeInfo* info = LookupOpcode(op, p.version);
    if (!info) {
      Program probe;
      probe.version = p.version;
      probe.version.type = p.version.IsPixel() ? ShaderType::Vertex : ShaderType::Pixel;
      const OpcodeInfo* other = LookupOpcode(op, probe.version);
      if (!other) {
        probe.version = Version{p.version.type, 1, static_cast<uint8_t>(p.version.IsPixel() ? 4 : 1)};
        other = LookupOpcode(op, probe.version);
        if (!other && p.version.IsPixel()) {
          probe.version.minor = 3;
          other = LookupOpcode(op, probe.version);
        }
      }
      if (other)
        return Fail(error, pos, std::string("instruction ") + other->name + " (opcode " +
                                    std::to_string(op) + ") is not available in " + p.version.Name());
      return Fail(error, pos, "unknown opcode " + std::to_string(op) + " (" + Hex(tok) + ")");
    }
    Instruction ins;
    ins.opcode = op;
    ins.offset = static_cast<uint32_t>(pos);
    ins.coissue = (tok & kCoissueBit) != 0;
    if (ins.coissue && (!p.version.IsPixel() || info->opClass != OpClass::Arithmetic))
      return Fail(error, pos, std::string("co-issue is not allowed on ") + info->name);
    const size_t start = pos;
    ++pos;
    const size_t params = (info->hasDest ? 1 : 0) + info->sourceCount + (op == kDef ? 4 : 0);
    if (params > count - pos)
      return Fail(error, start, std::string(info->name) + " needs " + std::to_string(params) +
                                    " parameter words but the stream ends first");
    if (info->hasDest) {
      ins.hasDest = true;
      if (!CheckDest(p.version, *info, tokens[pos], pos, &ins.dest, error)) return false;
      ++pos;
    }
    if (op == kDef) {
      for (int i = 0; i < 4; ++i, ++pos) {
        float f;
        std::memcpy(&f, &tokens[pos], 4);
        if (!std::isfinite(f)) return Fail(error, pos, "def value is not a finite number");
        ins.defValues[i] = f;
      }
    }
    ins.sourceCount = info->sourceCount;
    for (int i = 0; i < info->sourceCount; ++i, ++pos)
      if (!CheckSource(p.version, *info, i, tokens[pos], pos, &ins.sources[i], error)) return false;
    p.instructions.push_back(ins);
  }
  p.tokenCount = static_cast<uint32_t>(count);
  *program = std::move(p);
  return true;
}

bool MeasureStream(const uint32_t* tokens, size_t maxWords, size_t* count, ShaderError* error) {
  if (!tokens || maxWords == 0) return Fail(error, 0, "no shader stream");
  const uint32_t vt = tokens[0];
  Version v;
  if ((vt & 0xFFFF0000u) == kVertexVersionBase) v.type = ShaderType::Vertex;
  else if ((vt & 0xFFFF0000u) == kPixelVersionBase) v.type = ShaderType::Pixel;
  else return Fail(error, 0, "not a shader version token: " + Hex(vt));
  v.major = static_cast<uint8_t>((vt >> 8) & 0xFF);
  v.minor = static_cast<uint8_t>(vt & 0xFF);
  size_t pos = 1;
  for (;;) {
    if (pos >= maxWords)
      return Fail(error, pos, "no end token within " + std::to_string(maxWords) + " words");
    const uint32_t tok = tokens[pos];
    if (tok == kEndToken) {
      *count = pos + 1;
      return true;
    }
    const uint16_t op = static_cast<uint16_t>(tok & kOpcodeMask);
    if (op == kComment && !(tok & kParamBit)) {
      const size_t words = (tok & kCommentSizeMask) >> kCommentSizeShift;
      if (words >= maxWords - pos - 1)
        return Fail(error, pos, "comment of " + std::to_string(words) +
                                    " words runs past the stream limit of " +
                                    std::to_string(maxWords) + " words");
      pos += 1 + words;
      continue;
    }
    const OpcodeInfo* info = (tok & kParamBit) ? nullptr : LookupOpcode(op, v);
    if (!info) {
      // Let the decoder name the problem: the stream ends at this word for it.
      *count = pos + 1;
      return true;
    }
    // Parameter words carry bit 31; a word without it (an end token, say) ends the stream
    // here and the decoder names the problem. def's four values are plain floats.
    const size_t params = (info->hasDest ? 1 : 0) + info->sourceCount;
    const size_t values = op == kDef ? 4 : 0;
    size_t next = pos + 1;
    for (size_t k = 0; k < params + values; ++k, ++next) {
      if (next >= maxWords)
        return Fail(error, next, "no end token within " + std::to_string(maxWords) + " words");
      const bool isValue = op == kDef && k >= 1 && k < 1 + values;
      if (!isValue && !(tokens[next] & kParamBit)) {
        *count = next + 1;
        return true;
      }
    }
    pos = next;
  }
}

bool DecodeAndValidate(const uint32_t* tokens, size_t count, Program* program, ShaderError* error) {
  Program p;
  if (!Decode(tokens, count, &p, error)) return false;
  if (!Validate(p, error)) return false;
  *program = std::move(p);
  return true;
}

}  // namespace platform::shader
