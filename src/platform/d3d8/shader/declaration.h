// Vertex shader declarations (D3DVSD_STREAM, D3DVSD_REG, D3DVSD_SKIP, D3DVSD_CONST,
// D3DVSD_NOP, extension blocks, D3DVSD_END) parsed into element and constant lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/d3d8/shader/decoder.h"

namespace platform::shader {

struct DeclarationElement {
  uint32_t stream = 0;
  uint32_t offset = 0;  // bytes into each vertex of the stream
  uint32_t type = 0;    // D3DVSDT_* value
  uint32_t reg = 0;     // input register vN
};

struct DeclarationConstant {
  uint32_t reg = 0;
  float value[4] = {0, 0, 0, 0};
};

struct Declaration {
  std::vector<DeclarationElement> elements;
  std::vector<DeclarationConstant> constants;
  size_t tokenCount = 0;  // words up to and including the end token
};

// Size in bytes of a D3DVSDT_* type, 0 for an unknown one.
uint32_t DeclarationTypeSize(uint32_t type);

// Reads tokens up to the end token, never more than `maxWords`.
bool ParseDeclaration(const uint32_t* tokens, size_t maxWords, Declaration* declaration, ShaderError* error);

}  // namespace platform::shader
