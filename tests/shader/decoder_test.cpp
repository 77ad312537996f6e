#include <gtest/gtest.h>

#include <vector>

#include "platform/d3d8/shader/decoder.h"

using namespace platform::shader;

namespace {

struct Decoded {
  bool ok;
  Program program;
  ShaderError error;
};

Decoded DecodeWords(const std::vector<uint32_t>& t, bool validate = true) {
  Decoded d;
  d.ok = validate ? DecodeAndValidate(t.data(), t.size(), &d.program, &d.error)
                  : Decode(t.data(), t.size(), &d.program, &d.error);
  return d;
}

// ps.1.1: tex t0 / mul_x2 t0, t0, v0 / add r0, t0, t0, written from the token layout.
const std::vector<uint32_t> kSmallPixel = {
    0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000005, 0xB10F0000, 0xB0E40000, 0x90E40000,
    0x00000002, 0x800F0000, 0xB0E40000, 0xB0E40000, 0x0000FFFF};

}  // namespace

TEST(ShaderDecoder, DecodesFieldsOfEveryTokenKind) {
  Decoded d = DecodeWords(kSmallPixel);
  ASSERT_TRUE(d.ok) << d.error.ToString();
  EXPECT_TRUE(d.program.version.IsPixel());
  EXPECT_EQ(d.program.version.Code(), 0x101);
  ASSERT_EQ(d.program.instructions.size(), 3u);
  const Instruction& mul = d.program.instructions[1];
  EXPECT_EQ(mul.opcode, kMul);
  EXPECT_EQ(mul.offset, 3u);
  EXPECT_EQ(mul.dest.type, kTextureRegister);
  EXPECT_EQ(mul.dest.shift, 1);
  EXPECT_EQ(mul.sources[1].type, RegisterType::Input);
  EXPECT_EQ(Encode(d.program), kSmallPixel);

  // vs.1.1 with relative addressing, a comment block, a negated source and a replicate swizzle.
  std::vector<uint32_t> vs = {
      0xFFFE0101,
      0x0002FFFE, 0x12345678, 0x9ABCDEF0,  // comment of two words
      0x00000001, 0xB0010000, 0x90E40001,  // mov a0.x, v1
      0x00000001, 0x800F0000, 0xA0E42008,  // mov r0, c[a0.x + 8]
      0x00000003, 0xC00F0000, 0x91000000, 0x80E40000,  // sub oPos, -v0.x, r0
      0x0000FFFF};
  d = DecodeWords(vs);
  ASSERT_TRUE(d.ok) << d.error.ToString();
  EXPECT_EQ(d.program.commentWords, 2u);
  EXPECT_TRUE(d.program.instructions[1].sources[0].relative);
  EXPECT_EQ(d.program.instructions[1].sources[0].index, 8);
  EXPECT_EQ(d.program.instructions[2].sources[0].modifier, SourceModifier::Negate);
  EXPECT_EQ(d.program.instructions[2].sources[0].swizzle, ReplicateSwizzle(0));
}

TEST(ShaderDecoder, OperandCountsFollowTheVersion) {
  // ps.1.4 texld r0, t0.xyz / texcrd r1.xy, t1_dw.xyw / phase / mov r0, r1 take sources that
  // the ps.1.1 forms (tex, texcoord) do not.
  std::vector<uint32_t> ps14 = {0xFFFF0104, 0x00000042, 0x800F0000, 0xB0A40000,
                                0x00000040, 0x80030001, 0xBAF40001, 0x0000FFFD,
                                0x00000001, 0x800F0000, 0x80E40001, 0x0000FFFF};
  Decoded d = DecodeWords(ps14);
  ASSERT_TRUE(d.ok) << d.error.ToString();
  ASSERT_EQ(d.program.instructions.size(), 4u);
  EXPECT_EQ(d.program.instructions[0].sourceCount, 1);
  EXPECT_EQ(d.program.instructions[1].sources[0].modifier, SourceModifier::DivideW);
  EXPECT_EQ(d.program.instructions[2].opcode, kPhase);

  // Read as ps.1.1, opcode 66 is `tex`, whose only operand must be a t register; and with a
  // t register there, the texld source lands where an instruction token belongs.
  ps14[0] = 0xFFFF0101;
  d = DecodeWords(ps14);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.error.offset, 2u);
  ps14[2] = 0xB00F0000;
  d = DecodeWords(ps14);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.error.offset, 3u);
  EXPECT_NE(d.error.message.find("parameter token"), std::string::npos) << d.error.ToString();
}

TEST(ShaderDecoder, RejectsMalformedStreamsNamingTheOffset) {
  struct Case {
    const char* what;
    std::vector<uint32_t> tokens;
    uint32_t offset;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      {"empty", {}, 0, "empty"},
      {"not a version", {0x12345678, 0x0000FFFF}, 0, "version"},
      {"vs.2.0", {0xFFFE0200, 0x0000FFFF}, 0, "unsupported"},
      {"ps.1.5", {0xFFFF0105, 0x0000FFFF}, 0, "unsupported"},
      {"missing end token", {0xFFFF0101, 0x00000042, 0xB00F0000}, 3, "end token"},
      {"truncated parameters", {0xFFFF0101, 0x00000005, 0x800F0000, 0xB0E40000}, 1, "stream ends"},
      {"unknown opcode", {0xFFFF0101, 0x0000005A, 0x0000FFFF}, 1, "unknown opcode 90"},
      {"vertex opcode in pixel shader", {0xFFFF0101, 0x00000006, 0x800F0000, 0x80E40000, 0x0000FFFF}, 1, "rcp"},
      {"ps.1.4 opcode in ps.1.1", {0xFFFF0101, 0x00000059, 0x80030000, 0x80E40000, 0x80E40001, 0x0000FFFF}, 1, "not available"},
      {"huge comment", {0xFFFE0101, 0x7FFFFFFE, 0x0000FFFF}, 1, "runs past the end"},
      {"constant out of range", {0xFFFE0101, 0x00000001, 0xC00F0000, 0xA0E40060, 0x0000FFFF}, 3, "c96"},
      {"temp out of range", {0xFFFE0101, 0x00000001, 0x800F000C, 0x90E40000, 0x0000FFFF}, 2, "r12"},
      {"ps.1.1 temp out of range", {0xFFFF0101, 0x00000001, 0x800F0002, 0x90E40000, 0x0000FFFF}, 2, "r2"},
      {"input written", {0xFFFE0101, 0x00000001, 0x900F0000, 0x90E40000, 0x0000FFFF}, 2, "cannot be written"},
      {"output read", {0xFFFE0101, 0x00000001, 0xC00F0000, 0xD0E40000, 0x0000FFFF}, 3, "cannot be read"},
      {"relative in pixel shader", {0xFFFF0101, 0x00000001, 0x800F0000, 0xA0E42000, 0x0000FFFF}, 3, "relative"},
      {"saturate in vertex shader", {0xFFFE0101, 0x00000001, 0xC01F0000, 0x90E40000, 0x0000FFFF}, 2, "modifier"},
      {"_bx2 in vertex shader", {0xFFFE0101, 0x00000001, 0xC00F0000, 0x94E40000, 0x0000FFFF}, 3, "modifier"},
      {"_x2 source before ps.1.4", {0xFFFF0101, 0x00000001, 0x800F0000, 0x97E40000, 0x0000FFFF}, 3, "modifier"},
      {"unknown source modifier", {0xFFFF0104, 0x00000001, 0x800F0000, 0x9EE40000, 0x0000FFFF}, 3, "unknown source modifier"},
      {"swizzle in ps.1.1", {0xFFFF0101, 0x00000001, 0x800F0000, 0x904E0000, 0x0000FFFF}, 3, "swizzle"},
      {"mask .rg in ps.1.1", {0xFFFF0101, 0x00000001, 0x80030000, 0x90E40000, 0x0000FFFF}, 2, "write mask"},
      {"empty write mask", {0xFFFE0101, 0x00000001, 0xC0000000, 0x90E40000, 0x0000FFFF}, 2, "no component"},
      {"_x8 before ps.1.4", {0xFFFF0101, 0x00000001, 0x830F0000, 0x90E40000, 0x0000FFFF}, 2, "_x8"},
      {"invalid shift", {0xFFFF0104, 0x00000001, 0x850F0000, 0x90E40000, 0x0000FFFF}, 2, "shift"},
      {"reserved instruction bits", {0xFFFE0101, 0x00010001, 0xC00F0000, 0x90E40000, 0x0000FFFF}, 1, "reserved"},
      {"parameter where instruction expected", {0xFFFE0101, 0x800F0000, 0x0000FFFF}, 1, "parameter token"},
      {"instruction where parameter expected", {0xFFFE0101, 0x00000001, 0x00000001, 0x90E40000, 0x0000FFFF}, 2, "destination"},
      {"words after the end", {0xFFFF0101, 0x0000FFFF, 0x00000000}, 2, "follow the end"},
      {"def with NaN", {0xFFFF0101, 0x00000051, 0xA00F0000, 0x7FC00000, 0, 0, 0, 0x0000FFFF}, 3, "finite"},
      {"m4x4 past the constants", {0xFFFE0101, 0x00000014, 0xC00F0000, 0x90E40000, 0xA0E4005D, 0x0000FFFF}, 4, "past the last"},
      {"co-issue in vertex shader", {0xFFFE0101, 0x40000001, 0xC00F0000, 0x90E40000, 0x0000FFFF}, 1, "co-issue"},
      {"a0 with mask .xy", {0xFFFE0101, 0x00000001, 0xB0030000, 0x90E40000, 0x0000FFFF}, 2, "a0.x"},
  };
  for (const Case& c : cases) {
    Decoded d = DecodeWords(c.tokens, false);
    EXPECT_FALSE(d.ok) << c.what;
    EXPECT_EQ(d.error.offset, c.offset) << c.what << ": " << d.error.ToString();
    EXPECT_NE(d.error.message.find(c.fragment), std::string::npos) << c.what << ": " << d.error.ToString();
  }
}

TEST(ShaderDecoder, NeverReadsPastTheGivenLength) {
  // Every prefix of a valid stream is rejected without touching the words after it: the
  // prefix is copied into a buffer of exactly its size, so a read past it shows under ASan.
  std::vector<uint32_t> full = kSmallPixel;
  for (size_t n = 0; n < full.size(); ++n) {
    std::vector<uint32_t> prefix(full.begin(), full.begin() + n);
    Program p;
    ShaderError e;
    EXPECT_FALSE(Decode(prefix.data(), prefix.size(), &p, &e)) << n;
  }
}

TEST(ShaderDecoder, MeasureStreamFindsTheEndWithinItsLimit) {
  size_t count = 0;
  ShaderError e;
  ASSERT_TRUE(MeasureStream(kSmallPixel.data(), 4096, &count, &e));
  EXPECT_EQ(count, kSmallPixel.size());
  // A comment claiming more words than the limit is refused before anything past it is read.
  std::vector<uint32_t> huge = {0xFFFE0101, 0x7FFFFFFE, 0x0000FFFF};
  EXPECT_FALSE(MeasureStream(huge.data(), 3, &count, &e));
  EXPECT_NE(e.message.find("comment"), std::string::npos);
  std::vector<uint32_t> noEnd = {0xFFFE0101, 0x00000000, 0x00000000};
  EXPECT_FALSE(MeasureStream(noEnd.data(), noEnd.size(), &count, &e));
}

TEST(ShaderValidator, RulesAcrossInstructions) {
  struct Case {
    const char* what;
    std::vector<uint32_t> tokens;
    bool valid;
    const char* fragment;
  };
  const uint32_t E = 0x0000FFFF;
  const std::vector<Case> cases = {
      {"vertex shader without oPos", {0xFFFE0101, 0x00000001, 0xD00F0000, 0x90E40000, E}, false, "oPos"},
      {"oPos written in parts", {0xFFFE0101, 0x00000001, 0xC0030000, 0x90E40000, 0x00000001, 0xC00C0000, 0x90E40000, E}, true, ""},
      {"tex after arithmetic", {0xFFFF0101, 0x00000001, 0x800F0000, 0x90E40000, 0x00000042, 0xB00F0000, E}, false, "after an arithmetic"},
      {"tex registers out of order", {0xFFFF0101, 0x00000042, 0xB00F0001, 0x00000042, 0xB00F0000, E}, false, "not after"},
      {"texbem reading unsampled register", {0xFFFF0101, 0x00000043, 0xB00F0001, 0xB0E40000, E}, false, "no earlier"},
      {"texbem after tex", {0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000043, 0xB00F0001, 0xB0E40000, E}, true, ""},
      {"texm3x2pad alone", {0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000047, 0xB00F0001, 0xB0E40000, E}, false, "rest of its matrix"},
      {"texm3x2 pair", {0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000047, 0xB00F0001, 0xB0E40000, 0x00000048, 0xB00F0002, 0xB0E40000, E}, true, ""},
      {"texm3x3 with wrong register", {0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000049, 0xB00F0001, 0xB0E40000, 0x00000049, 0xB00F0002, 0xB0E40000, 0x0000004A, 0xB00F0002, 0xB0E40000, E}, false, "rest of its matrix"},
      {"texm3x2tex without pad", {0xFFFF0101, 0x00000042, 0xB00F0000, 0x00000048, 0xB00F0001, 0xB0E40000, E}, false, "pad"},
      {"cnd on r0.a", {0xFFFF0101, 0x00000050, 0x800F0000, 0x80FF0000, 0x90E40000, 0x90E40001, E}, true, ""},
      {"cnd on v0", {0xFFFF0101, 0x00000050, 0x800F0000, 0x90FF0000, 0x90E40000, 0x90E40001, E}, false, "r0.a"},
      {"co-issue colour and alpha", {0xFFFF0101, 0x00000001, 0x80070000, 0x90E40000, 0x40000001, 0x80080000, 0x90E40001, E}, true, ""},
      {"co-issue overlapping masks", {0xFFFF0101, 0x00000001, 0x800F0000, 0x90E40000, 0x40000001, 0x80080000, 0x90E40001, E}, false, "colour and alpha"},
      {"co-issue first", {0xFFFF0101, 0x40000001, 0x80080000, 0x90E40001, E}, false, "partner"},
      {"def after arithmetic", {0xFFFF0101, 0x00000001, 0x800F0000, 0x90E40000, 0x00000051, 0xA00F0000, 0, 0, 0, 0, E}, false, "def"},
      {"nine arithmetic instructions", {0xFFFF0101,
        1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000,
        1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000,
        1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000, 1, 0x800F0000, 0x90E40000, E}, false, "more than 8"},
      {"ps.1.4 v read before phase", {0xFFFF0104, 0x00000001, 0x800F0000, 0x90E40000, 0x0000FFFD, E}, false, "phase"},
      {"ps.1.4 texld r before phase", {0xFFFF0104, 0x00000042, 0x800F0000, 0x80E40001, 0x0000FFFD, E}, false, "phase"},
      {"ps.1.4 dependent read", {0xFFFF0104, 0x00000040, 0x80070002, 0xB0E40000, 0x0000FFFD, 0x00000042, 0x800F0001, 0x80A40002, E}, true, ""},
      {"ps.1.4 two phases", {0xFFFF0104, 0x0000FFFD, 0x0000FFFD, E}, false, "more than one phase"},
      {"ps.1.4 same register twice", {0xFFFF0104, 0x00000042, 0x800F0000, 0xB0E40000, 0x00000040, 0x800F0000, 0xB0E40001, E}, false, "two texture"},
  };
  for (const Case& c : cases) {
    Decoded d = DecodeWords(c.tokens);
    EXPECT_EQ(d.ok, c.valid) << c.what << ": " << d.error.ToString();
    if (!c.valid) {
      EXPECT_NE(d.error.message.find(c.fragment), std::string::npos) << c.what << ": " << d.error.ToString();
    }
  }
}
