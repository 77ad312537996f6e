// Programmable stages are not built into this library yet: creating a shader fails cleanly.
#include "pipeline.h"

namespace platform::d3d8 {

HRESULT TranslateVertexShader(const DWORD*, const DWORD*, std::unique_ptr<VertexShaderCode>*,
                              std::string* error) {
  if (error) *error = "vertex shaders are not supported by this build";
  return D3DERR_INVALIDCALL;
}

HRESULT TranslatePixelShader(const DWORD*, std::unique_ptr<PixelShaderCode>*,
                             std::string* error) {
  if (error) *error = "pixel shaders are not supported by this build";
  return D3DERR_INVALIDCALL;
}

}  // namespace platform::d3d8
