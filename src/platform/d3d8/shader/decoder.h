// Decoding and validation of Direct3D 8 shader token streams (vs.1.0, vs.1.1, ps.1.0 - ps.1.4).
// Decoding is bounded by the given word count and strict about every field; validation then
// checks the rules that span instructions. Nothing else in the shader code reads raw tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/d3d8/shader/program.h"

namespace platform::shader {

struct ShaderError {
  uint32_t offset = 0;  // index of the offending word in the stream
  std::string message;
  std::string ToString() const;  // "token 12: register c96 is out of range for vs.1.1 (c0-c95)"
};

// Decodes `count` words. Never reads tokens[count] or beyond.
bool Decode(const uint32_t* tokens, size_t count, Program* program, ShaderError* error);

// Rules across instructions: ordering of texture and arithmetic instructions, texture register
// sequences, co-issue pairs, phases, instruction counts, outputs that must be written.
bool Validate(const Program& program, ShaderError* error);

// Both, as shader creation needs them.
bool DecodeAndValidate(const uint32_t* tokens, size_t count, Program* program, ShaderError* error);

// Finds how many words a stream spans when the caller gives only a pointer (the device calls
// carry no length): walks version, instructions and comments up to the end token, reading no
// word past `maxWords`. The stream must still decode afterwards.
bool MeasureStream(const uint32_t* tokens, size_t maxWords, size_t* count, ShaderError* error);

// "r3", "c[a0.x + 8]" is not produced here: plain register names for messages and listings.
std::string RegisterName(const Version& version, RegisterType type, uint32_t index);

}  // namespace platform::shader
