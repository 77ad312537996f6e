// The fixed-function stages as generated GLSL: a vertex stage per FVF code and a pixel stage
// per combination of texture stage states, each built once and cached by the device.
#pragma once

#include <d3d8.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pipeline.h"

namespace platform::d3d8 {

// One attribute of an FVF vertex: input register, byte offset, D3DVSDT_* type.
struct FvfElement {
  UINT reg;
  UINT offset;
  DWORD type;
};

struct FvfLayout {
  std::vector<FvfElement> elements;
  UINT stride = 0;
  bool valid = false;
};

FvfLayout DescribeFvf(DWORD fvf);

std::string FixedVertexGlsl(DWORD fvf);

struct FixedStageKey {
  uint8_t colorOp = 0, colorArg0 = 0, colorArg1 = 0, colorArg2 = 0;
  uint8_t alphaOp = 0, alphaArg0 = 0, alphaArg1 = 0, alphaArg2 = 0;
  uint8_t resultArg = 0, texCoordIndex = 0, textureKind = 0, pad = 0;
};

// Everything the generated pixel stage depends on. Stages after the end of the chain are
// zero, so equal chains give equal keys.
struct FixedPixelKey {
  std::array<FixedStageKey, kMaxTextureStages> stages{};
  uint8_t stageCount = 0;
  uint8_t specularAdd = 0;
  uint8_t pad[2] = {};
};

// `stageStates[stage][type]` are the D3DTSS_* values, `kinds` what each stage has bound.
FixedPixelKey BuildFixedPixelKey(const DWORD (*stageStates)[32], const TextureKinds& kinds,
                                 bool specularEnable);

std::string FixedPixelGlsl(const FixedPixelKey& key);

}  // namespace platform::d3d8
