// The Direct3D 8 shader token format: numeric layout of version, instruction, parameter and
// comment tokens. These are facts of the binary format that compiled shaders carry, so real
// streams decode unchanged.
#pragma once

#include <cstdint>

namespace platform::shader {

constexpr uint32_t kVertexVersionBase = 0xFFFE0000u;
constexpr uint32_t kPixelVersionBase = 0xFFFF0000u;
constexpr uint32_t kEndToken = 0x0000FFFFu;

// Instruction token.
constexpr uint32_t kOpcodeMask = 0x0000FFFFu;
constexpr uint32_t kCoissueBit = 0x40000000u;
constexpr uint32_t kCommentSizeShift = 16;
constexpr uint32_t kCommentSizeMask = 0x7FFF0000u;

// Parameter tokens (destination and source).
constexpr uint32_t kParamBit = 0x80000000u;
constexpr uint32_t kRegNumMask = 0x00001FFFu;
constexpr uint32_t kRelativeBit = 0x00002000u;  // c[a0.x + n], vs.1.1 sources only
constexpr uint32_t kRegTypeShift = 28;
constexpr uint32_t kRegTypeMask = 0x70000000u;
constexpr uint32_t kWriteMaskShift = 16;
constexpr uint32_t kWriteMaskMask = 0x000F0000u;
constexpr uint32_t kResultModShift = 20;
constexpr uint32_t kResultModMask = 0x00F00000u;
constexpr uint32_t kResultModSaturate = 1;
constexpr uint32_t kDestShiftShift = 24;
constexpr uint32_t kDestShiftMask = 0x0F000000u;
constexpr uint32_t kSwizzleShift = 16;
constexpr uint32_t kSwizzleMask = 0x00FF0000u;
constexpr uint32_t kSourceModShift = 24;
constexpr uint32_t kSourceModMask = 0x0F000000u;
constexpr uint8_t kIdentitySwizzle = 0xE4;  // .xyzw

enum class RegisterType : uint8_t {
  Temp = 0,      // r#
  Input = 1,     // v#
  Const = 2,     // c#
  Address = 3,   // a0 in vertex shaders, t# in pixel shaders
  RastOut = 4,   // oPos, oFog, oPts
  AttrOut = 5,   // oD#
  TexCrdOut = 6, // oT#
};
constexpr RegisterType kTextureRegister = RegisterType::Address;

constexpr uint16_t kRastOutPosition = 0;
constexpr uint16_t kRastOutFog = 1;
constexpr uint16_t kRastOutPointSize = 2;

enum class SourceModifier : uint8_t {
  None = 0,
  Negate = 1,
  Bias = 2,        // _bias
  BiasNegate = 3,  // -r_bias
  Sign = 4,        // _bx2
  SignNegate = 5,  // -r_bx2
  Complement = 6,  // 1-r
  X2 = 7,          // _x2 (ps.1.4)
  X2Negate = 8,
  DivideZ = 9,     // _dz / _db (ps.1.4 texld, texcrd)
  DivideW = 10,    // _dw / _da (ps.1.4 texld, texcrd)
};
constexpr uint8_t kSourceModifierCount = 11;

enum Opcode : uint16_t {
  kNop = 0, kMov = 1, kAdd = 2, kSub = 3, kMad = 4, kMul = 5, kRcp = 6, kRsq = 7, kDp3 = 8,
  kDp4 = 9, kMin = 10, kMax = 11, kSlt = 12, kSge = 13, kExp = 14, kLog = 15, kLit = 16,
  kDst = 17, kLrp = 18, kFrc = 19, kM4x4 = 20, kM4x3 = 21, kM3x4 = 22, kM3x3 = 23, kM3x2 = 24,
  kTexCoord = 64, kTexKill = 65, kTex = 66, kTexBem = 67, kTexBemL = 68, kTexReg2AR = 69,
  kTexReg2GB = 70, kTexM3x2Pad = 71, kTexM3x2Tex = 72, kTexM3x3Pad = 73, kTexM3x3Tex = 74,
  kTexM3x3Diff = 75, kTexM3x3Spec = 76, kTexM3x3VSpec = 77, kExpP = 78, kLogP = 79, kCnd = 80,
  kDef = 81, kTexReg2RGB = 82, kTexDp3Tex = 83, kTexM3x2Depth = 84, kTexDp3 = 85, kTexM3x3 = 86,
  kTexDepth = 87, kCmp = 88, kBem = 89,
  kPhase = 0xFFFD, kComment = 0xFFFE, kEnd = 0xFFFF,
};

// Swizzle helpers: two bits per output component, x in the lowest bits.
constexpr uint8_t SwizzleComponent(uint8_t swizzle, int i) { return (swizzle >> (2 * i)) & 3; }
constexpr uint8_t MakeSwizzle(int x, int y, int z, int w) {
  return static_cast<uint8_t>(x | (y << 2) | (z << 4) | (w << 6));
}
constexpr uint8_t ReplicateSwizzle(int c) { return MakeSwizzle(c, c, c, c); }

}  // namespace platform::shader
