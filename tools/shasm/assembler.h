// Assembles vs.1.x / ps.1.x source text, as shader authors of the D3D8 era wrote it, into a
// Direct3D 8 token stream. The result is decoded and validated by the same code the device
// uses, so what assembles here is what shader creation accepts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d8/shader/program.h"
#include "preprocessor.h"
#include "source_text.h"

namespace shasm {

// Assembles preprocessed lines.
bool AssembleLines(const std::vector<SourceLine>& lines, std::vector<uint32_t>* tokens, Diagnostic* error);

// Preprocesses then assembles; `path` names the source for #include and for messages.
bool AssembleSource(const std::string& path, const std::string& text, const PreprocessOptions& options,
                    std::vector<uint32_t>* tokens, Diagnostic* error);
bool AssembleFile(const std::string& path, const PreprocessOptions& options, std::vector<uint32_t>* tokens,
                  Diagnostic* error);

}  // namespace shasm
