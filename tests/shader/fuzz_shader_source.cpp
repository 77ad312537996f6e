// Fuzz target: arbitrary text through the preprocessor and the assembler. Whatever assembles
// must decode and validate, and errors must point inside the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "assembler.h"
#include "platform/d3d8/shader/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  shasm::PreprocessOptions options;
  // Every include reads the input itself, so include nesting and guards get exercised.
  options.reader = [&text](const std::string&, std::string* out) {
    *out = text;
    return true;
  };
  options.defines["FUZZ"] = "r0";
  std::vector<uint32_t> tokens;
  shasm::Diagnostic error;
  if (!shasm::AssembleSource("input.sh", text, options, &tokens, &error)) {
    if (error.line < 0 || error.message.empty()) std::abort();
    return 0;
  }
  platform::shader::Program program;
  platform::shader::ShaderError problem;
  if (!platform::shader::DecodeAndValidate(tokens.data(), tokens.size(), &program, &problem)) std::abort();
  return 0;
}
