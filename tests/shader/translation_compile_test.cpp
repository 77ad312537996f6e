// Every real-world shader and a program using every instruction of each version translate to
// GLSL that Mesa compiles and links, with 2D and with cube textures on the stages.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "assembler.h"
#include "gl_harness.h"

namespace fs = std::filesystem;
namespace d3d = platform::d3d8;

namespace {

const DWORD kDeclaration[] = {0x20000000, 0x40020000, 0x40020001, 0x40010003, 0xFFFFFFFF};

std::vector<uint32_t> AssembleText(const std::string& name, const std::string& text) {
  std::vector<uint32_t> tokens;
  shasm::Diagnostic error;
  EXPECT_TRUE(shasm::AssembleSource(name, text, {}, &tokens, &error)) << error.ToString();
  return tokens;
}

std::string VertexGlsl(const std::vector<uint32_t>& tokens) {
  std::unique_ptr<d3d::VertexShaderCode> code;
  std::string error;
  EXPECT_EQ(d3d::TranslateVertexShader(kDeclaration, tokens.data(), &code, &error), D3D_OK) << error;
  return code ? code->glsl : std::string();
}

std::unique_ptr<d3d::PixelShaderCode> PixelCode(const std::vector<uint32_t>& tokens) {
  std::unique_ptr<d3d::PixelShaderCode> code;
  std::string error;
  EXPECT_EQ(d3d::TranslatePixelShader(tokens.data(), &code, &error), D3D_OK) << error;
  return code;
}

void ExpectLinks(const std::string& vs, const std::string& fs) {
  unsigned program = 0;
  std::string error;
  EXPECT_TRUE(shadertest::LinkProgram(vs, fs, &program, &error)) << error;
  if (program) glDeleteProgram(program);
}

d3d::TextureKinds AllKinds(d3d::TextureKind kind) {
  d3d::TextureKinds k{};
  k.fill(kind);
  return k;
}

class TranslationCompiles : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(shadertest::EnsureGl(&error)) << error;
    passVertex_ = VertexGlsl(AssembleText("pass.vsh", "vs.1.1\nmov oPos, v0\nmov oT0, v3\nmov oD0, v1\n"));
    passPixel_ = PixelCode(AssembleText("pass.psh", "ps.1.1\nmov r0, v0\n"))->Glsl(AllKinds(d3d::TextureKind::None));
  }
  void CheckPixel(const std::vector<uint32_t>& tokens) {
    auto code = PixelCode(tokens);
    if (!code) return;
    for (auto kind : {d3d::TextureKind::Flat, d3d::TextureKind::Cube, d3d::TextureKind::None})
      ExpectLinks(passVertex_, code->Glsl(AllKinds(kind)));
  }
  std::string passVertex_, passPixel_;
};

}  // namespace

TEST_F(TranslationCompiles, RealWorldShaders) {
  const fs::path dir = fs::path(VANTREL_TESTDATA_DIR) / "shaders";
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".vsh" && ext != ".psh" && ext != ".nvv" && ext != ".nvp") continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::vector<uint32_t> tokens;
    shasm::Diagnostic error;
    ASSERT_TRUE(shasm::AssembleFile(entry.path().string(), {}, &tokens, &error)) << error.ToString();
    if ((tokens[0] & 0xFFFF0000u) == 0xFFFE0000u) ExpectLinks(VertexGlsl(tokens), passPixel_);
    else CheckPixel(tokens);
    ++count;
  }
  EXPECT_EQ(count, 36);
}

TEST_F(TranslationCompiles, EveryInstructionOfEachVersion) {
  ExpectLinks(VertexGlsl(AssembleText("all.vsh",
                                      "vs.1.1\n"
                                      "def c90, 1, 2, 3, 4\n"
                                      "mov a0.x, v0.x\n"
                                      "mov r0, c[a0.x + 2]\n"
                                      "add r1, r0, v1\nsub r1, r1, c90\nmad r2, r1, c0, v3\nmul r3, r2, r2\n"
                                      "rcp r4.x, r3.x\nrsq r4.y, r3.y\ndp3 r4.z, r3, r2\ndp4 r4.w, r3, r2\n"
                                      "min r5, r4, c1\nmax r5, r5, -c1\nslt r6, r5, c2\nsge r7, r5, c2\n"
                                      "exp r8.x, r7.w\nlog r8.y, r7.z\nexpp r8.z, r6.x\nlogp r8.w, r6.y\n"
                                      "lit r9, r8\ndst r10, r9, r8\nfrc r11, r10\n"
                                      "m4x4 oPos, v0, c4\nm4x3 r0.xyz, v0, c8\nm3x4 r1, v0, c12\n"
                                      "m3x3 r2.xyz, v0, c16\nm3x2 r3.xy, v0, c[a0.x + 20]\n"
                                      "mov oD0, r11\nmov oD1, r0\nmov oT0, r1\nmov oT7, r2\nmov oFog.x, r3.x\nmov oPts.x, r3.y\nnop\n")),
              passPixel_);
  const char* pixelPrograms[] = {
      "ps.1.1\ntex t0\ntexbem t1, t0\ntexbeml t2, t1\ntexcoord t3\n"
      "add r0, t0, t1\nsub r1, t2_bias, -t3_bx2\nmad r0, r0, r1, c0\nmul_x2 r1, r0, 1-v0\n"
      "lrp r0, c1, r0, r1\ndp3_sat r1, r0, v1_bx2\ncnd r0, r0.a, r1, c2\nmov r0.rgb, r0\n+mov r0.a, c3.b\n",
      "ps.1.1\ntex t0\ntexreg2ar t1, t0\ntexreg2gb t2, t0\ntexkill t3\nmov r0, t2\n",
      "ps.1.1\ntex t0\ntexm3x2pad t1, t0_bx2\ntexm3x2tex t2, t0_bx2\nmov r0, t2\n",
      "ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3tex t3, t0\nmov r0, t3\n",
      "ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3spec t3, t0, c0\nmov r0, t3\n",
      "ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3vspec t3, t0\nmov r0, t3\n",
      "ps.1.2\ntex t0\ntexreg2rgb t1, t0\ntexdp3tex t2, t0\ntexdp3 t3, t0\ndp4 r0, t1, t2\ncmp r0, r0, t3, c0\n",
      "ps.1.2\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3 t3, t0\nmov r0, t3\n",
      "ps.1.3\ntex t0\ntexm3x2pad t1, t0\ntexm3x2depth t2, t0\nmov r0, t0\n",
      "ps.1.0\ntex t0\nmul r0, t0, v0\n",
      "ps.1.4\ndef c7, 0.5, -0.5, 1, 0\ntexld r0, t0\ntexcrd r1.rgb, t1_dz.xyz\ntexld r2, t2_dw.xyw\ntexkill t3\n"
      "bem r3.rg, c0, r0\nmad_x8 r4, r0_x2, c7.r, -r1_bias\nphase\ntexld r3, r3\ntexld r5, t4\n"
      "texdepth r5\ncmp r0, r4.g, r3, r2\ncnd_d4_sat r0.rgb, r0, c1.b, v1\n+mov r0.a, 1-c1.a\n",
  };
  for (const char* text : pixelPrograms) {
    SCOPED_TRACE(text);
    CheckPixel(AssembleText("all.psh", text));
  }
}

TEST_F(TranslationCompiles, MalformedStreamsBuildNoCode) {
  struct Case {
    const char* what;
    std::vector<DWORD> tokens;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      // The end token arrives where mul's second source belongs.
      {"truncated", {0xFFFF0101, 0x00000005, 0x800F0000, 0x0000FFFF}, "stream ends"},
      {"unknown opcode", {0xFFFF0101, 0x0000005A, 0x0000FFFF}, "unknown opcode"},
      {"register out of range", {0xFFFF0101, 0x00000001, 0x800F0000, 0xA0E40008, 0x0000FFFF}, "c8"},
      {"missing end token", {0xFFFF0101, 0x00000042, 0xB00F0000}, "no end token"},
      {"huge comment", {0xFFFF0101, 0x7FFFFFFE, 0x0000FFFF}, "comment"},
      {"vertex stream given as pixel shader", {0xFFFE0101, 0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF}, "not a pixel"},
  };
  for (const Case& c : cases) {
    // The device call carries no length: the stream sits in a buffer longer than the reader's
    // limit, padded with nop instructions, so a stream without its end token is caught by
    // the limit and never by reading past the buffer.
    std::vector<DWORD> words = c.tokens;
    words.resize(40000, 0);
    std::unique_ptr<d3d::PixelShaderCode> code;
    std::string error;
    EXPECT_EQ(d3d::TranslatePixelShader(words.data(), &code, &error), D3DERR_INVALIDCALL) << c.what;
    EXPECT_FALSE(code) << c.what;
    EXPECT_NE(error.find(c.fragment), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(error.rfind("token ", 0), 0u) << c.what << ": " << error;
  }
  std::unique_ptr<d3d::VertexShaderCode> vcode;
  std::string error;
  const DWORD badDeclaration[] = {0x20000000, 0x40020010, 0xFFFFFFFF};
  const DWORD function[] = {0xFFFE0101, 0x00000001, 0xC00F0000, 0x90E40000, 0x0000FFFF};
  EXPECT_EQ(d3d::TranslateVertexShader(badDeclaration, function, &vcode, &error), D3DERR_INVALIDCALL);
  EXPECT_NE(error.find("v16"), std::string::npos) << error;
}
