// Pieces shared by the vertex and pixel translators.
#pragma once

#include <cstdio>
#include <string>

#include "platform/d3d8/shader/program.h"

namespace platform::shader::glsl {

inline std::string Float(float f) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
  std::string s = buf;
  if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
  return s;
}

inline std::string Vec4(const float v[4]) {
  return "vec4(" + Float(v[0]) + ", " + Float(v[1]) + ", " + Float(v[2]) + ", " + Float(v[3]) + ")";
}

inline std::string SwizzleSuffix(uint8_t swizzle) {
  if (swizzle == kIdentitySwizzle) return "";
  std::string s = ".";
  for (int i = 0; i < 4; ++i) s += "xyzw"[SwizzleComponent(swizzle, i)];
  return s;
}

inline std::string MaskSuffix(uint8_t mask) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    if (mask & (1 << i)) s += "xyzw"[i];
  return s;
}

// dest.mask = (value).mask;
inline std::string Assign(const std::string& dest, uint8_t mask, const std::string& value) {
  if (mask == 0xF) return "  " + dest + " = " + value + ";\n";
  const std::string m = MaskSuffix(mask);
  return "  " + dest + "." + m + " = (" + value + ")." + m + ";\n";
}

// The largest float stands in for D3D's infinities, so that 0 * rcp(0) stays 0 as it did on
// the hardware rather than becoming NaN.
constexpr const char* kFloatMax = "3.402823466e+38";

}  // namespace platform::shader::glsl
