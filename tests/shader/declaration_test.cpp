#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3d8/shader/declaration.h"

using namespace platform::shader;

namespace {

uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

}  // namespace

TEST(VertexDeclaration, ElementsOffsetsAndConstants) {
  const std::vector<uint32_t> tokens = {
      0x00000000,              // D3DVSD_NOP
      0x20000000,              // D3DVSD_STREAM(0)
      0x40020000,              // D3DVSD_REG(0, FLOAT3)      offset 0
      0x40040005,              // D3DVSD_REG(5, D3DCOLOR)    offset 12
      0x50020000,              // D3DVSD_SKIP(2)             8 bytes
      0x40010003,              // D3DVSD_REG(3, FLOAT2)      offset 24
      0x40070004,              // D3DVSD_REG(4, SHORT4)      offset 32
      0x20000001,              // D3DVSD_STREAM(1)
      0x40050007,              // D3DVSD_REG(7, UBYTE4)      stream 1, offset 0
      0x40060008,              // D3DVSD_REG(8, SHORT2)      offset 4
      0x84000010,              // D3DVSD_CONST(16, 2)
      Bits(1), Bits(2), Bits(3), Bits(4), Bits(5), Bits(6), Bits(7), Bits(8),
      0xA2000000, 0x12345678, 0x9ABCDEF0,  // extension block of two words
      0xFFFFFFFF,              // D3DVSD_END
      0xDEADBEEF,              // beyond the end: never read
  };
  Declaration d;
  ShaderError e;
  ASSERT_TRUE(ParseDeclaration(tokens.data(), tokens.size(), &d, &e)) << e.ToString();
  EXPECT_EQ(d.tokenCount, tokens.size() - 1);
  struct Want {
    uint32_t stream, offset, type, reg;
  };
  const Want want[] = {{0, 0, 2, 0}, {0, 12, 4, 5}, {0, 24, 1, 3}, {0, 32, 7, 4}, {1, 0, 5, 7}, {1, 4, 6, 8}};
  ASSERT_EQ(d.elements.size(), std::size(want));
  for (size_t i = 0; i < d.elements.size(); ++i) {
    EXPECT_EQ(d.elements[i].stream, want[i].stream) << i;
    EXPECT_EQ(d.elements[i].offset, want[i].offset) << i;
    EXPECT_EQ(d.elements[i].type, want[i].type) << i;
    EXPECT_EQ(d.elements[i].reg, want[i].reg) << i;
  }
  ASSERT_EQ(d.constants.size(), 2u);
  EXPECT_EQ(d.constants[1].reg, 17u);
  EXPECT_EQ(d.constants[1].value[3], 8.0f);
}

TEST(VertexDeclaration, RejectsWhatItCannotBind) {
  struct Case {
    const char* what;
    std::vector<uint32_t> tokens;
    const char* fragment;
  };
  const std::vector<Case> cases = {
      {"register past v15", {0x20000000, 0x40020010, 0xFFFFFFFF}, "v16"},
      {"register twice", {0x20000000, 0x40020001, 0x40010001, 0xFFFFFFFF}, "twice"},
      {"unknown type", {0x20000000, 0x40080000, 0xFFFFFFFF}, "data type"},
      {"data before a stream", {0x40020000, 0xFFFFFFFF}, "before any"},
      {"constants past c95", {0x8400005F, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFFFF}, "c95"},
      {"constant block cut off", {0x82000000, 0, 0}, "runs past"},
      {"tessellator", {0x20000000, 0x60000000, 0xFFFFFFFF}, "tessellator"},
      {"no end", {0x20000000, 0x40020000}, "D3DVSD_END"},
  };
  for (const Case& c : cases) {
    Declaration d;
    ShaderError e;
    EXPECT_FALSE(ParseDeclaration(c.tokens.data(), c.tokens.size(), &d, &e)) << c.what;
    EXPECT_NE(e.message.find(c.fragment), std::string::npos) << c.what << ": " << e.ToString();
  }
}
