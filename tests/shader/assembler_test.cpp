#include <gtest/gtest.h>

#include <vector>

#include "assembler.h"
#include "disassembler.h"
#include "platform/d3d8/shader/decoder.h"

namespace {

std::vector<uint32_t> Assemble(const std::string& text, shasm::Diagnostic* error = nullptr) {
  shasm::Diagnostic local;
  std::vector<uint32_t> tokens;
  shasm::PreprocessOptions options;
  options.reader = [](const std::string&, std::string*) { return false; };
  if (!shasm::AssembleSource("test.sh", text, options, &tokens, error ? error : &local)) return {};
  return tokens;
}

}  // namespace

// Each statement against the words the public token layout gives for it (version and end
// token stripped). Vertex statements are checked inside a shader that also writes oPos.
TEST(ShaderAssembler, EncodesInstructionsAsThePublicFormat) {
  struct Case {
    const char* version;
    const char* statement;
    std::vector<uint32_t> words;
  };
  const std::vector<Case> cases = {
      {"vs.1.1", "mov r0, v0", {0x00000001, 0x800F0000, 0x90E40000}},
      {"vs.1.1", "add oPos, c7, r0", {0x00000002, 0xC00F0000, 0xA0E40007, 0x80E40000}},
      {"vs.1.1", "mul r0, v0.x, c4", {0x00000005, 0x800F0000, 0x90000000, 0xA0E40004}},
      {"vs.1.1", "dp3 r1.x, v1, c0", {0x00000008, 0x80010001, 0x90E40001, 0xA0E40000}},
      {"vs.1.1", "mov r0, c[a0.x + 8]", {0x00000001, 0x800F0000, 0xA0E42008}},
      {"vs.1.1", "mov r0, c[ 8 + a0.x ]", {0x00000001, 0x800F0000, 0xA0E42008}},
      {"vs.1.1", "mov r0, c[12]", {0x00000001, 0x800F0000, 0xA0E4000C}},
      {"vs.1.1", "add r2, c8, -r6", {0x00000002, 0x800F0002, 0xA0E40008, 0x81E40006}},
      {"vs.1.1", "mov oD1, r5", {0x00000001, 0xD00F0001, 0x80E40005}},
      {"vs.1.1", "mov oT7.xy, v3.zw", {0x00000001, 0xE0030007, 0x90FE0003}},
      {"vs.1.1", "mov a0.x, v1", {0x00000001, 0xB0010000, 0x90E40001}},
      {"vs.1.1", "m4x4 r6, v0, c10", {0x00000014, 0x800F0006, 0x90E40000, 0xA0E4000A}},
      {"vs.1.1", "m3x2 r6.xy, v0, c10", {0x00000018, 0x80030006, 0x90E40000, 0xA0E4000A}},
      {"vs.1.1", "expp r1, v0.w", {0x0000004E, 0x800F0001, 0x90FF0000}},
      // Scalar instructions without a swizzle read x; a written full swizzle stays.
      {"vs.1.1", "rcp r0, v0", {0x00000006, 0x800F0000, 0x90000000}},
      {"vs.1.1", "rsq r0, -v0.xyzw", {0x00000007, 0x800F0000, 0x91E40000}},
      {"ps.1.1", "mov r0, v0.gbra", {0x00000001, 0x800F0000, 0x90C90000}},
      {"vs.1.1", "mov oFog.x, r0.z", {0x00000001, 0xC0010001, 0x80AA0000}},
      {"vs.1.1", "mov r1, v0.wzyx", {0x00000001, 0x800F0001, 0x901B0000}},
      {"vs.1.1", "def c95, 1.0, -0.5, 0, 2", {0x00000051, 0xA00F005F, 0x3F800000, 0xBF000000, 0x00000000, 0x40000000}},
      {"ps.1.1", "tex t0", {0x00000042, 0xB00F0000}},
      {"ps.1.1", "texcoord t1", {0x00000040, 0xB00F0001}},
      {"ps.1.1", "mul_x2 r0, t0, v0", {0x00000005, 0x810F0000, 0xB0E40000, 0x90E40000}},
      {"ps.1.1", "dp3_sat r0, t0_bx2, v0_bx2", {0x00000008, 0x801F0000, 0xB4E40000, 0x94E40000}},
      {"ps.1.1", "mad_d2 r0.rgb, -r1_bias, c0, 1-v1", {0x00000004, 0x8F070000, 0x83E40001, 0xA0E40000, 0x96E40001}},
      {"ps.1.1", "lrp r0, c2, 1-r1, t0", {0x00000012, 0x800F0000, 0xA0E40002, 0x86E40001, 0xB0E40000}},
      {"ps.1.1", "mul r0.a, -t0_bx2.b, v0.a", {0x00000005, 0x80080000, 0xB5AA0000, 0x90FF0000}},
      {"ps.1.1", "cnd r0, r0.a, t0, v0", {0x00000050, 0x800F0000, 0x80FF0000, 0xB0E40000, 0x90E40000}},
      {"ps.1.1", "mul r0.rgb, v0, t0\n+add r0.a, v0, t0",
       {0x00000005, 0x80070000, 0x90E40000, 0xB0E40000, 0x40000002, 0x80080000, 0x90E40000, 0xB0E40000}},
      {"ps.1.1", "tex t0\ntexbem t1, t0", {0x00000042, 0xB00F0000, 0x00000043, 0xB00F0001, 0xB0E40000}},
      {"ps.1.1", "tex t0\ntexm3x2pad t1, t0_bx2\ntexm3x2tex t2, t0_bx2",
       {0x00000042, 0xB00F0000, 0x00000047, 0xB00F0001, 0xB4E40000, 0x00000048, 0xB00F0002, 0xB4E40000}},
      {"ps.1.1", "tex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3spec t3, t0, c0",
       {0x00000042, 0xB00F0000, 0x00000049, 0xB00F0001, 0xB0E40000, 0x00000049, 0xB00F0002, 0xB0E40000,
        0x0000004C, 0xB00F0003, 0xB0E40000, 0xA0E40000}},
      {"ps.1.3", "tex t0\ntexm3x2pad t1, t0\ntexm3x2depth t2, t0",
       {0x00000042, 0xB00F0000, 0x00000047, 0xB00F0001, 0xB0E40000, 0x00000054, 0xB00F0002, 0xB0E40000}},
      {"ps.1.2", "cmp r0, r1, c0, c1", {0x00000058, 0x800F0000, 0x80E40001, 0xA0E40000, 0xA0E40001}},
      {"ps.1.4", "def c2, 2, 1, 0, 0", {0x00000051, 0xA00F0002, 0x40000000, 0x3F800000, 0, 0}},
      {"ps.1.4", "texld r0, t0.xyz", {0x00000042, 0x800F0000, 0xB0A40000}},
      {"ps.1.4", "texcrd r1.xy, t1_dw.xyw", {0x00000040, 0x80030001, 0xBAF40001}},
      {"ps.1.4", "texld r2, t1_dz.xyz", {0x00000042, 0x800F0002, 0xB9A40001}},
      {"ps.1.4", "texcrd r0.rgb, t0\nphase\ntexld r1, r0", {0x00000040, 0x80070000, 0xB0E40000, 0x0000FFFD,
                                                            0x00000042, 0x800F0001, 0x80E40000}},
      {"ps.1.4", "mad_x8_sat r0.xyz, r0_bx2, c0.x, r1_x2", {0x00000004, 0x83170000, 0x84E40000, 0xA0000000, 0x87E40001}},
      {"ps.1.4", "texkill r1", {0x00000041, 0x800F0001}},
      {"ps.1.4", "bem r1.rg, c0, r0", {0x00000059, 0x80030001, 0xA0E40000, 0x80E40000}},
      {"ps.1.4", "texld r5, t0\nphase\ntexdepth r5", {0x00000042, 0x800F0005, 0xB0E40000, 0x0000FFFD, 0x00000057, 0x800F0005}},
  };
  for (const Case& c : cases) {
    const bool vertex = c.version[0] == 'v';
    std::string text = std::string(c.version) + "\n" + c.statement + "\n";
    if (vertex) text += "mov oPos, v0\n";
    shasm::Diagnostic error;
    std::vector<uint32_t> tokens = Assemble(text, &error);
    ASSERT_FALSE(tokens.empty()) << c.statement << ": " << error.ToString();
    std::vector<uint32_t> body(tokens.begin() + 1, tokens.end() - (vertex ? 4 : 1));
    EXPECT_EQ(body, c.words) << c.statement;
    EXPECT_EQ(tokens.back(), 0x0000FFFFu);
    // And back: the listing assembles to the same words.
    platform::shader::Program program;
    platform::shader::ShaderError problem;
    ASSERT_TRUE(platform::shader::DecodeAndValidate(tokens.data(), tokens.size(), &program, &problem));
    EXPECT_EQ(Assemble(shasm::Disassemble(program)), tokens) << shasm::Disassemble(program);
  }
}

TEST(ShaderAssembler, DropsD3D9InputDeclarations) {
  EXPECT_EQ(Assemble("vs.1.1\ndcl_position v0\ndcl_texcoord0 v3\nmov oPos, v0\n"),
            Assemble("vs.1.1\nmov oPos, v0\n"));
}

TEST(ShaderAssembler, ErrorsNameLineAndColumn) {
  struct Case {
    const char* text;
    int line;
    int column;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      {"mov r0, v0\n", 1, 1, "version"},
      {"", 1, 1, "no shader version"},
      {"vs.3.0\n", 1, 1, "unsupported"},
      {"vs.1.1\n  foo r0, v0\n", 2, 3, "unknown instruction"},
      {"ps.1.1\ntexld r0, t0\n", 2, 1, "not available in ps.1.1"},
      {"vs.1.1\nmov r0\n", 2, 7, "needs 2 operands"},
      {"vs.1.1\nmov r0, v0, v1\n", 2, 11, "only 2 operands"},
      {"vs.1.1\nmov r0, q0\n", 2, 9, "not a register"},
      {"vs.1.1\nmov oPos, c96\n", 2, 1, "c96"},
      {"vs.1.1\nmov r0.yx, v0\nmov oPos, v0\n", 2, 8, "in order"},
      {"vs.1.1\nmov oPos, v0.q\n", 2, 14, "bad component"},
      {"ps.1.1\nmul_x3 r0, v0, v1\n", 2, 1, "_x3"},
      {"ps.1.1\nmul r0, v0_foo, v1\n", 2, 11, "_foo"},
      {"ps.1.1\nmov r0, -1-v0\n", 2, 9, "cannot be combined"},
      {"vs.1.1\nmov oPos, c[a0.y + 1]\n", 2, 13, "a0.x"},
      {"vs.1.1\nmov oPos, c[a0.x + 1\n", 2, 21, "]"},
      {"vs.1.1\ndef c0, 1, 2, 3\nmov oPos, v0\n", 2, 16, "four numbers"},
      {"vs.1.1\ndef c0, 1, 2, 3, 1e99\nmov oPos, v0\n", 2, 18, "finite"},
      {"ps.1.1\nmov r0, v0\ntex t0\n", 3, 1, "after an arithmetic"},
      {"vs.1.1\nmov r0, v0\n", 2, 1, "oPos"},
      {"ps.1.1\ndcl_position v0\n", 2, 1, "dcl"},
  };
  for (const Case& c : cases) {
    shasm::Diagnostic error;
    EXPECT_TRUE(Assemble(c.text, &error).empty()) << c.text;
    EXPECT_EQ(error.file, "test.sh") << c.text;
    EXPECT_EQ(error.line, c.line) << c.text << " -> " << error.ToString();
    EXPECT_EQ(error.column, c.column) << c.text << " -> " << error.ToString();
    EXPECT_NE(error.message.find(c.fragment), std::string::npos) << c.text << " -> " << error.ToString();
  }
}
