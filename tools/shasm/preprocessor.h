// The C-style preprocessor that shader assemblers ran before assembling: #define (with and
// without arguments), #undef, #include "file" relative to the including file, #if / #ifdef /
// #ifndef / #elif / #else / #endif with integer expressions and defined(), #error. Comments
// (// ... , /* ... */ and the assembler's ; ...) are removed here.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "source_text.h"

namespace shasm {

struct PreprocessOptions {
  std::map<std::string, std::string> defines;  // -D NAME=VALUE
  FileReader reader = ReadFileFromDisk;
};

bool Preprocess(const std::string& path, const std::string& text, const PreprocessOptions& options,
                std::vector<SourceLine>* out, Diagnostic* error);

}  // namespace shasm
