#include <gtest/gtest.h>

#include <map>

#include "preprocessor.h"

namespace {

struct Result {
  bool ok;
  std::string text;  // output lines joined with '\n'
  std::vector<shasm::SourceLine> lines;
  shasm::Diagnostic error;
};

Result RunPreprocessor(const std::string& source, std::map<std::string, std::string> files = {},
           std::map<std::string, std::string> defines = {}) {
  shasm::PreprocessOptions options;
  options.defines = defines;
  options.reader = [files](const std::string& path, std::string* out) {
    auto it = files.find(path);
    if (it == files.end()) return false;
    *out = it->second;
    return true;
  };
  Result r;
  r.ok = shasm::Preprocess("dir/main.vsh", source, options, &r.lines, &r.error);
  for (const auto& l : r.lines) {
    std::string t = l.text;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    r.text += t + "\n";
  }
  return r;
}

}  // namespace

TEST(ShaderPreprocessor, MacrosConditionalsAndIncludes) {
  Result r = RunPreprocessor(
      "#define LIGHT c[ BASE + 1 ]\n"
      "#define BASE 16\n"
      "#define MAD(d, a, b, c) mad d, a, b, c\n"
      "#include \"consts.h\"\n"
      "mov r0, LIGHT  ; comment with MAD(x)\n"
      "MAD(r1, NORMAL, r0, NORMAL_bx2) // trailing\n"
      "#if BASE > 10 && defined(NORMAL) && !defined(MISSING)\n"
      "yes1\n"
      "#elif 1\n"
      "no1\n"
      "#else\n"
      "no2\n"
      "#endif\n"
      "#ifdef MISSING\n"
      "  #if garbage ((\n"
      "  #endif\n"
      "no3\n"
      "#else\n"
      "yes2 /* inline */ done\n"
      "#endif\n"
      "/* spanning\n"
      "   lines */ yes3\n",
      {{"dir/consts.h", "#ifndef CONSTS_H\n#define CONSTS_H\n#define NORMAL v1\n#endif\n"}});
  ASSERT_TRUE(r.ok) << r.error.ToString();
  EXPECT_EQ(r.text,
            "mov r0, c[ 16 + 1 ]\n"
            "mad r1, v1, r0, v1_bx2\n"
            "yes1\n"
            "yes2              done\n"
            "            yes3\n");
  // Lines report the file and line they came from.
  EXPECT_EQ(r.lines[0].line, 5);
  EXPECT_EQ(r.lines[0].file, "dir/main.vsh");
  // Characters from a macro report the column where the macro was written.
  EXPECT_EQ(r.lines[0].ColumnAt(r.lines[0].text.find("16")), 9);
}

TEST(ShaderPreprocessor, MacroDirectlyBeforeRegisterModifiers) {
  Result r = RunPreprocessor("#define TEX_NORMALMAP t0\n#define COL_LIGHT v0\n"
                 "dp3 TEX_NORMALMAP, TEX_NORMALMAP_bx2, COL_LIGHT_bias\n"
                 "mov TEX_NORMALMAP_other, COL_LIGHT_x2\n");
  ASSERT_TRUE(r.ok) << r.error.ToString();
  EXPECT_EQ(r.text, "dp3 t0, t0_bx2, v0_bias\nmov TEX_NORMALMAP_other, v0_x2\n");
}

TEST(ShaderPreprocessor, CommandLineDefinesAndRecursionGuard) {
  Result r = RunPreprocessor("#if WATER == 2\nA\n#endif\n#define SELF SELF + 1\nSELF\n", {}, {{"WATER", "2"}});
  ASSERT_TRUE(r.ok) << r.error.ToString();
  EXPECT_EQ(r.text, "A\nSELF + 1\n");
}

TEST(ShaderPreprocessor, MacrosThatDoubleAtEveryLevelAreCut) {
  std::string source = "#define M0 r0 r0\n";
  for (int i = 1; i <= 24; ++i)
    source += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" + std::to_string(i - 1) + "\n";
  source += "mov M24\n";
  Result r = RunPreprocessor(source);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error.line, 26);
  EXPECT_NE(r.error.message.find("expands to more than"), std::string::npos) << r.error.ToString();
}

TEST(ShaderPreprocessor, ErrorsNameFileLineAndColumn) {
  struct Case {
    const char* source;
    const char* file;
    int line;
    int column;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      {"#include \"nothere.h\"\n", "dir/main.vsh", 1, 10, "cannot open"},
      {"\n#include \"bad.h\"\n", "dir/bad.h", 2, 2, "unknown directive"},
      {"#if 1\nx\n", "dir/main.vsh", 1, 1, "without #endif"},
      {"#endif\n", "dir/main.vsh", 1, 2, "without #if"},
      {"#if 1\n#else\n#else\n#endif\n", "dir/main.vsh", 3, 2, "after #else"},
      {"#if 1 / 0\n#endif\n", "dir/main.vsh", 1, 9, "division by zero"},
      {"#if (1\n#endif\n", "dir/main.vsh", 1, 6, "')'"},
      {"#define F(a) a\nF(1, 2)\n", "dir/main.vsh", 2, 1, "takes 1 arguments"},
      {"/* open\n", "dir/main.vsh", 1, 1, "unterminated"},
      {"#error stop here\n", "dir/main.vsh", 1, 2, "stop here"},
      {"#include \"self.h\"\n", "dir/self.h", 1, 2, "too deeply"},
  };
  for (const Case& c : cases) {
    Result r = RunPreprocessor(c.source, {{"dir/bad.h", "ok\n#bogus\n"}, {"dir/self.h", "#include \"self.h\"\n"}});
    EXPECT_FALSE(r.ok) << c.source;
    EXPECT_EQ(r.error.file, c.file) << c.source << " -> " << r.error.ToString();
    EXPECT_EQ(r.error.line, c.line) << c.source << " -> " << r.error.ToString();
    EXPECT_EQ(r.error.column, c.column) << c.source << " -> " << r.error.ToString();
    EXPECT_NE(r.error.message.find(c.fragment), std::string::npos) << c.source << " -> " << r.error.ToString();
  }
}
