// Fuzz target: arbitrary words through stream measuring, decoding, validation, GLSL
// translation and declaration parsing. Every stream that validates must also survive a trip
// through the disassembler and assembler unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assembler.h"
#include "disassembler.h"
#include "platform/d3d8/shader/declaration.h"
#include "platform/d3d8/shader/decoder.h"
#include "platform/d3d8/shader/glsl.h"

using namespace platform::shader;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exactly as many words as the input holds, so any read past them shows under ASan.
  std::vector<uint32_t> words(size / 4);
  if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);
  const uint32_t* tokens = words.empty() ? nullptr : words.data();

  size_t count = 0;
  ShaderError error;
  if (tokens) MeasureStream(tokens, words.size(), &count, &error);
  Declaration declaration;
  ParseDeclaration(tokens, words.size(), &declaration, &error);

  Program program;
  if (!DecodeAndValidate(tokens, words.size(), &program, &error)) return 0;
  if (program.commentBlocks == 0 && Encode(program) != words) std::abort();

  const GlslFrame frame{"// prelude\n", "  // epilogue\n"};
  if (program.version.IsPixel()) {
    SamplerKinds kinds{};
    for (int s = 0; s < 8; ++s) kinds[s] = static_cast<SamplerKind>((size >> s) % 3);
    if (TranslatePixelProgram(program, kinds, frame).empty()) std::abort();
  } else if (TranslateVertexProgram(program, frame).empty()) {
    std::abort();
  }

  const std::string listing = shasm::Disassemble(program);
  std::vector<uint32_t> again;
  shasm::Diagnostic problem;
  shasm::PreprocessOptions options;
  options.reader = [](const std::string&, std::string*) { return false; };
  if (!shasm::AssembleSource("listing", listing, options, &again, &problem)) std::abort();
  if (again != Encode(program)) std::abort();
  return 0;
}
