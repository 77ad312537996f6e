// vantrel-shasm: assembles vs.1.x / ps.1.x sources into Direct3D 8 token streams (.vso / .pso)
// and lists token streams as assembly text.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "assembler.h"
#include "disassembler.h"
#include "platform/d3d8/shader/decoder.h"

namespace {

const char kUsage[] =
    "usage: vantrel-shasm asm IN.vsh|IN.psh [-o OUT] [-D NAME[=VALUE]]...\n"
    "       vantrel-shasm dis IN.vso|IN.pso [-o OUT.txt]\n"
    "\n"
    "asm  preprocesses (#define, #include \"file\", #if/#ifdef/#else/#endif) and assembles\n"
    "     vs.1.0, vs.1.1 and ps.1.0-ps.1.4 source into a token stream. Without -o the output\n"
    "     is IN with its extension replaced by .vso (vertex) or .pso (pixel).\n"
    "dis  decodes and validates a token stream and prints it as assembly text that asm\n"
    "     turns into the same tokens.\n"
    "Errors are printed as FILE:LINE:COLUMN: error: MESSAGE (dis: FILE: token N: MESSAGE).\n";

bool ReadBinary(const std::string& path, std::vector<uint32_t>* words, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot open the file";
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() % 4 != 0) {
    *error = path + ": size " + std::to_string(bytes.size()) + " is not a whole number of 32-bit tokens";
    return false;
  }
  words->resize(bytes.size() / 4);
  if (!bytes.empty()) std::memcpy(words->data(), bytes.data(), bytes.size());
  return true;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  std::string input, output;
  shasm::PreprocessOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg.rfind("-D", 0) == 0) {
      std::string def = arg.size() > 2 ? arg.substr(2) : (i + 1 < argc ? argv[++i] : "");
      size_t eq = def.find('=');
      if (def.empty()) {
        std::fputs("vantrel-shasm: -D needs a macro name\n", stderr);
        return 2;
      }
      options.defines[def.substr(0, eq)] = eq == std::string::npos ? "1" : def.substr(eq + 1);
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "vantrel-shasm: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    } else if (input.empty()) {
      input = arg;
    } else {
      std::fprintf(stderr, "vantrel-shasm: more than one input file\n%s", kUsage);
      return 2;
    }
  }
  if (input.empty() || (command != "asm" && command != "dis")) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  if (command == "asm") {
    std::vector<uint32_t> tokens;
    shasm::Diagnostic error;
    if (!shasm::AssembleFile(input, options, &tokens, &error)) {
      std::fprintf(stderr, "%s\n", error.ToString().c_str());
      return 1;
    }
    if (output.empty()) {
      const bool pixel = (tokens[0] & 0xFFFF0000u) == 0xFFFF0000u;
      size_t dot = input.find_last_of('.');
      size_t slash = input.find_last_of("/\\");
      std::string stem = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? input.substr(0, dot) : input;
      output = stem + (pixel ? ".pso" : ".vso");
    }
    if (!WriteFile(output, tokens.data(), tokens.size() * 4)) {
      std::fprintf(stderr, "vantrel-shasm: cannot write %s\n", output.c_str());
      return 1;
    }
    return 0;
  }

  std::vector<uint32_t> words;
  std::string readError;
  if (!ReadBinary(input, &words, &readError)) {
    std::fprintf(stderr, "vantrel-shasm: %s\n", readError.c_str());
    return 1;
  }
  platform::shader::Program program;
  platform::shader::ShaderError error;
  if (!platform::shader::DecodeAndValidate(words.data(), words.size(), &program, &error)) {
    std::fprintf(stderr, "%s: %s\n", input.c_str(), error.ToString().c_str());
    return 1;
  }
  const std::string text = shasm::Disassemble(program);
  if (output.empty()) {
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  if (!WriteFile(output, text.data(), text.size())) {
    std::fprintf(stderr, "vantrel-shasm: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
