// Turns a decoded program back into assembly text that AssembleSource turns into the same
// tokens again (comment blocks are not carried over: they have no assembly form).
#pragma once

#include <string>

#include "platform/d3d8/shader/program.h"

namespace shasm {

std::string Disassemble(const platform::shader::Program& program);

}  // namespace shasm
