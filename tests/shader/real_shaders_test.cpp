// Shader sources from shipped programs (see the testdata's SOURCES.md): every one assembles
// with its expected version token, validates, and round-trips through the disassembler.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "assembler.h"
#include "disassembler.h"
#include "platform/d3d8/shader/decoder.h"

namespace fs = std::filesystem;

namespace {

const fs::path kShaderDir = fs::path(VANTREL_TESTDATA_DIR) / "shaders";

std::vector<fs::path> ShaderSources() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(kShaderDir)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".vsh" || ext == ".psh" || ext == ".nvv" || ext == ".nvp") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

uint32_t ExpectedVersion(const std::string& text) {
  if (text.find("ps.1.4") != std::string::npos) return 0xFFFF0104;
  if (text.find("ps.1.1") != std::string::npos) return 0xFFFF0101;
  return 0xFFFE0101;
}

}  // namespace

TEST(RealWorldShaders, AssembleValidateAndRoundTrip) {
  ASSERT_TRUE(fs::is_directory(kShaderDir)) << "test data missing: " << kShaderDir;
  const std::vector<fs::path> sources = ShaderSources();
  EXPECT_EQ(sources.size(), 36u);
  for (const fs::path& path : sources) {
    SCOPED_TRACE(path.filename().string());
    std::string text;
    ASSERT_TRUE(shasm::ReadFileFromDisk(path.string(), &text));
    // Water variants switch on a preprocessor flag; both sides must assemble.
    for (bool water : {false, true}) {
      shasm::PreprocessOptions options;
      if (water) options.defines["DO_WATER_ALPHA_TEXTURE"] = "1";
      std::vector<uint32_t> tokens;
      shasm::Diagnostic error;
      ASSERT_TRUE(shasm::AssembleSource(path.string(), text, options, &tokens, &error)) << error.ToString();
      EXPECT_EQ(tokens.front(), ExpectedVersion(text));
      platform::shader::Program program;
      platform::shader::ShaderError problem;
      ASSERT_TRUE(platform::shader::DecodeAndValidate(tokens.data(), tokens.size(), &program, &problem))
          << problem.ToString();
      const std::string listing = shasm::Disassemble(program);
      std::vector<uint32_t> again;
      ASSERT_TRUE(shasm::AssembleSource("listing", listing, {}, &again, &error)) << error.ToString() << "\n" << listing;
      EXPECT_EQ(again, tokens) << listing;
    }
  }
}

TEST(RealWorldShaders, DeclarationFormAndPlainFormGiveTheSameTokens) {
  std::vector<uint32_t> plain, declared;
  shasm::Diagnostic error;
  ASSERT_TRUE(shasm::AssembleFile((kShaderDir / "irrlicht_d3d8.vsh").string(), {}, &plain, &error)) << error.ToString();
  ASSERT_TRUE(shasm::AssembleFile((kShaderDir / "irrlicht_d3d9.vsh").string(), {}, &declared, &error)) << error.ToString();
  EXPECT_EQ(plain, declared);
}
