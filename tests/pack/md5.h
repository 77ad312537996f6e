// MD5 of a byte string as lowercase hex: the reference pixel hashes of the real-world
// test images are given this way.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace packtest {

inline std::string Md5Hex(const std::vector<uint8_t>& input) {
  static const uint32_t kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                      5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                      4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                      6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  uint32_t k[64];
  for (int i = 0; i < 64; ++i) k[i] = uint32_t(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  std::vector<uint8_t> message = input;
  const uint64_t bits = uint64_t(input.size()) * 8;
  message.push_back(0x80);
  while (message.size() % 64 != 56) message.push_back(0);
  for (int i = 0; i < 8; ++i) message.push_back(uint8_t(bits >> (8 * i)));
  uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t block = 0; block < message.size(); block += 64) {
    uint32_t w[16];
    for (int i = 0; i < 16; ++i) {
      const uint8_t* p = &message[block + 4 * i];
      w[i] = p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      const uint32_t rotated = a + f + k[i] + w[g];
      a = d;
      d = c;
      c = b;
      b = b + ((rotated << kShift[i]) | (rotated >> (32 - kShift[i])));
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
  }
  std::string hex;
  char byte[3];
  for (uint32_t word : h) {
    for (int i = 0; i < 4; ++i) {
      std::snprintf(byte, sizeof byte, "%02x", (word >> (8 * i)) & 0xFF);
      hex += byte;
    }
  }
  return hex;
}

}  // namespace packtest
