#include "fixed_function.h"

#include <cstring>

namespace platform::d3d8 {

FvfLayout DescribeFvf(DWORD fvf) {
  FvfLayout layout;
  UINT offset = 0;
  DWORD position = fvf & D3DFVF_POSITION_MASK;
  if (position == 0 || (fvf & D3DFVF_RESERVED0)) return layout;
  if (position == D3DFVF_XYZRHW) {
    layout.elements.push_back({D3DVSDE_POSITION, offset, D3DVSDT_FLOAT4});
    offset += 16;
  } else {
    layout.elements.push_back({D3DVSDE_POSITION, offset, D3DVSDT_FLOAT3});
    offset += 12;
    if (position != D3DFVF_XYZ) {
      UINT betas = (position - D3DFVF_XYZ) / 2;  // XYZB1..XYZB5 carry 1..5 floats
      UINT weights = betas;
      bool indices = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
      if (indices) --weights;
      if (weights > 0) {
        UINT used = weights > 4 ? 4 : weights;
        layout.elements.push_back({D3DVSDE_BLENDWEIGHT, offset, D3DVSDT_FLOAT1 + (used - 1)});
      }
      offset += weights * 4;
      if (indices) {
        layout.elements.push_back({D3DVSDE_BLENDINDICES, offset, D3DVSDT_UBYTE4});
        offset += 4;
      }
    }
  }
  if (fvf & D3DFVF_NORMAL) {
    layout.elements.push_back({D3DVSDE_NORMAL, offset, D3DVSDT_FLOAT3});
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    layout.elements.push_back({D3DVSDE_PSIZE, offset, D3DVSDT_FLOAT1});
    offset += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    layout.elements.push_back({D3DVSDE_DIFFUSE, offset, D3DVSDT_D3DCOLOR});
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.elements.push_back({D3DVSDE_SPECULAR, offset, D3DVSDT_D3DCOLOR});
    offset += 4;
  }
  UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCount > 8) return layout;
  for (UINT i = 0; i < texCount; ++i) {
    static const UINT kSizes[4] = {2, 3, 4, 1};
    UINT size = kSizes[(fvf >> (16 + i * 2)) & 3];
    layout.elements.push_back({D3DVSDE_TEXCOORD0 + i, offset, D3DVSDT_FLOAT1 + (size - 1)});
    offset += size * 4;
  }
  layout.stride = offset;
  layout.valid = true;
  return layout;
}

std::string FixedVertexGlsl(DWORD fvf) {
  FvfLayout layout = DescribeFvf(fvf);
  bool rhw = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
  bool diffuse = (fvf & D3DFVF_DIFFUSE) != 0;
  bool specular = (fvf & D3DFVF_SPECULAR) != 0;
  UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCount > 8) texCount = 8;

  std::string s = VertexPreludeGlsl();
  s += "layout(location = 0) in vec4 d3dInPosition;\n";
  if (diffuse) s += "layout(location = 5) in vec4 d3dInDiffuse;\n";
  if (specular) s += "layout(location = 6) in vec4 d3dInSpecular;\n";
  for (UINT i = 0; i < texCount; ++i) {
    s += "layout(location = " + std::to_string(7 + i) + ") in vec4 d3dInTex" +
         std::to_string(i) + ";\n";
  }
  s += "void main() {\n  vec4 d3dPos;\n";
  if (rhw) {
    // Screen-space vertices: x, y in pixels of the render target, z the final depth,
    // rhw = 1 / w (kept for perspective-correct interpolation).
    s += "  float w = d3dInPosition.w != 0.0 ? 1.0 / d3dInPosition.w : 1.0;\n"
         "  vec2 ndc = vec2((d3dInPosition.x - d3dViewport.x) / d3dViewport.z * 2.0 - 1.0,\n"
         "                  1.0 - (d3dInPosition.y - d3dViewport.y) / d3dViewport.w * 2.0);\n"
         "  float zRange = d3dPosFixup.w - d3dPosFixup.z;\n"
         "  float z = zRange != 0.0 ? (d3dInPosition.z - d3dPosFixup.z) / zRange : 0.0;\n"
         "  d3dPos = vec4(ndc * w, z * w, w);\n";
  } else {
    s += "  d3dPos = d3dWorldViewProj * vec4(d3dInPosition.xyz, 1.0);\n";
  }
  s += diffuse ? "  vD3DColor0 = d3dInDiffuse;\n" : "  vD3DColor0 = vec4(1.0);\n";
  s += specular ? "  vD3DColor1 = d3dInSpecular;\n" : "  vD3DColor1 = vec4(0.0);\n";
  for (UINT i = 0; i < 8; ++i) {
    s += "  vD3DTex" + std::to_string(i) + " = " +
         (i < texCount ? "d3dInTex" + std::to_string(i) : std::string("vec4(0.0, 0.0, 0.0, 1.0)")) +
         ";\n";
  }
  s += VertexEpilogueGlsl();
  s += "}\n";
  (void)layout;
  return s;
}

namespace {

// Which of arguments 0, 1, 2 an operation reads (bit n = argument n).
int ArgumentsUsed(DWORD op) {
  switch (op) {
    case D3DTOP_DISABLE: return 0;
    case D3DTOP_SELECTARG1: return 2;
    case D3DTOP_SELECTARG2: return 4;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP: return 7;
    case D3DTOP_BUMPENVMAP:
    case D3DTOP_BUMPENVMAPLUMINANCE: return 0;
    default: return 6;
  }
}

bool IsBump(DWORD op) { return op == D3DTOP_BUMPENVMAP || op == D3DTOP_BUMPENVMAPLUMINANCE; }

}  // namespace

FixedPixelKey BuildFixedPixelKey(const DWORD (*states)[32], const TextureKinds& kinds,
                                 bool specularEnable) {
  FixedPixelKey key;
  key.specularAdd = specularEnable ? 1 : 0;
  for (int s = 0; s < kMaxTextureStages; ++s) {
    const DWORD* st = states[s];
    DWORD colorOp = st[D3DTSS_COLOROP];
    if (colorOp == D3DTOP_DISABLE || colorOp < D3DTOP_DISABLE || colorOp > D3DTOP_LERP) break;
    // A stage that reads a texture it does not have ends the chain, as D3D does.
    if (kinds[s] == TextureKind::None) {
      int used = ArgumentsUsed(colorOp);
      DWORD args[3] = {st[D3DTSS_COLORARG0], st[D3DTSS_COLORARG1], st[D3DTSS_COLORARG2]};
      bool readsTexture = IsBump(colorOp);
      for (int a = 0; a < 3; ++a) {
        if ((used & (1 << a)) && (args[a] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) {
          readsTexture = true;
        }
      }
      if (readsTexture) break;
    }
    FixedStageKey& k = key.stages[s];
    k.colorOp = static_cast<uint8_t>(colorOp);
    k.colorArg0 = static_cast<uint8_t>(st[D3DTSS_COLORARG0] & 0x3f);
    k.colorArg1 = static_cast<uint8_t>(st[D3DTSS_COLORARG1] & 0x3f);
    k.colorArg2 = static_cast<uint8_t>(st[D3DTSS_COLORARG2] & 0x3f);
    DWORD alphaOp = st[D3DTSS_ALPHAOP];
    if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_LERP) alphaOp = D3DTOP_DISABLE;
    k.alphaOp = static_cast<uint8_t>(alphaOp);
    k.alphaArg0 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG0] & 0x3f);
    k.alphaArg1 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG1] & 0x3f);
    k.alphaArg2 = static_cast<uint8_t>(st[D3DTSS_ALPHAARG2] & 0x3f);
    k.resultArg = (st[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP ? 1 : 0;
    k.texCoordIndex = static_cast<uint8_t>(st[D3DTSS_TEXCOORDINDEX] & 7);
    k.textureKind = static_cast<uint8_t>(kinds[s]);
    key.stageCount = static_cast<uint8_t>(s + 1);
  }
  return key;
}

namespace {

std::string Arg(int stage, uint8_t arg) {
  std::string base;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: base = "diffuse"; break;
    case D3DTA_CURRENT: base = "current"; break;
    case D3DTA_TEXTURE: base = "tex" + std::to_string(stage); break;
    case D3DTA_TFACTOR: base = "d3dTextureFactor"; break;
    case D3DTA_SPECULAR: base = "specular"; break;
    case D3DTA_TEMP: base = "temp"; break;
    default: base = "current"; break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
  if (arg & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
  return base;
}

// The operation on the .rgb (swizzle "rgb", type vec3) or .a (swizzle "a") of the arguments.
std::string Operation(DWORD op, const std::string& sw, const std::string& tex,
                      bool colour) {
  std::string a0 = "arg0." + sw, a1 = "arg1." + sw, a2 = "arg2." + sw;
  std::string half = colour ? "vec3(0.5)" : "0.5";
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 + " * " + a2;
    case D3DTOP_MODULATE2X: return a1 + " * " + a2 + " * 2.0";
    case D3DTOP_MODULATE4X: return a1 + " * " + a2 + " * 4.0";
    case D3DTOP_ADD: return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - " + half;
    case D3DTOP_ADDSIGNED2X: return "(" + a1 + " + " + a2 + " - " + half + ") * 2.0";
    case D3DTOP_SUBTRACT: return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", " + tex + ".a)";
    case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", d3dTextureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - " + tex + ".a)";
    case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", current.a)";
    case D3DTOP_PREMODULATE: return a1;
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
      return colour ? "arg1.rgb + arg1.a * arg2.rgb" : a1;
    case D3DTOP_MODULATECOLOR_ADDALPHA:
      return colour ? "arg1.rgb * arg2.rgb + vec3(arg1.a)" : a1;
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
      return colour ? "(1.0 - arg1.a) * arg2.rgb + arg1.rgb" : a1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
      return colour ? "(vec3(1.0) - arg1.rgb) * arg2.rgb + vec3(arg1.a)" : a1;
    case D3DTOP_DOTPRODUCT3: {
      std::string dp = "4.0 * dot(arg1.rgb - vec3(0.5), arg2.rgb - vec3(0.5))";
      return colour ? "vec3(" + dp + ")" : dp;
    }
    case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
    case D3DTOP_LERP: return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";
    default: return colour ? "current.rgb" : "current.a";
  }
}

}  // namespace

std::string FixedPixelGlsl(const FixedPixelKey& key) {
  TextureKinds kinds{};
  for (int s = 0; s < key.stageCount; ++s) kinds[s] = static_cast<TextureKind>(key.stages[s].textureKind);
  std::string g = FragmentPreludeGlsl(kinds);
  g += "void main() {\n"
       "  vec4 diffuse = vD3DColor0;\n"
       "  vec4 specular = vD3DColor1;\n"
       "  vec4 current = diffuse;\n"
       "  vec4 temp = vec4(0.0);\n"
       "  vec4 arg0, arg1, arg2;\n";
  for (int s = 0; s < key.stageCount; ++s) {
    const FixedStageKey& k = key.stages[s];
    std::string n = std::to_string(s);
    std::string tex = "tex" + n;
    std::string coord = "vD3DTex" + std::to_string(k.texCoordIndex);
    TextureKind kind = kinds[s];
    bool afterBump = s > 0 && IsBump(key.stages[s - 1].colorOp);
    if (kind == TextureKind::Flat) {
      std::string uv = coord + ".xy";
      if (afterBump) {
        // The previous stage's (du, dv), turned by its bump matrix, moves this lookup.
        std::string p = std::to_string(s - 1);
        g += "  vec2 bump" + n + " = tex" + p + ".xy;\n";
        uv = "(" + uv + " + vec2(dot(bump" + n + ", d3dBumpEnvMat[" + p + "].xz), dot(bump" + n +
             ", d3dBumpEnvMat[" + p + "].yw)))";
      }
      g += "  vec4 " + tex + " = texture(d3dSampler2D_" + n + ", " + uv + ");\n";
      if (afterBump && key.stages[s - 1].colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
        std::string p = std::to_string(s - 1);
        g += "  " + tex + ".rgb *= clamp(tex" + p + ".b * d3dBumpEnvLuminance[" + p +
             "].x + d3dBumpEnvLuminance[" + p + "].y, 0.0, 1.0);\n";
      }
    } else if (kind == TextureKind::Cube) {
      g += "  vec4 " + tex + " = texture(d3dSamplerCube_" + n + ", " + coord + ".xyz);\n";
    } else {
      g += "  vec4 " + tex + " = vec4(1.0);\n";
    }
    if (IsBump(k.colorOp)) continue;  // a bump stage only feeds the next stage's lookup

    g += "  arg0 = " + Arg(s, k.colorArg0) + ";\n";
    g += "  arg1 = " + Arg(s, k.colorArg1) + ";\n";
    g += "  arg2 = " + Arg(s, k.colorArg2) + ";\n";
    g += "  vec3 color" + n + " = clamp(" + Operation(k.colorOp, "rgb", tex, true) +
         ", 0.0, 1.0);\n";
    std::string alpha;
    if (k.colorOp == D3DTOP_DOTPRODUCT3) {
      alpha = "color" + n + ".r";  // the dot product goes to all four channels
    } else if (k.alphaOp == D3DTOP_DISABLE || IsBump(k.alphaOp)) {
      alpha = "current.a";
    } else {
      g += "  arg0 = " + Arg(s, k.alphaArg0) + ";\n";
      g += "  arg1 = " + Arg(s, k.alphaArg1) + ";\n";
      g += "  arg2 = " + Arg(s, k.alphaArg2) + ";\n";
      alpha = "clamp(" + Operation(k.alphaOp, "a", tex, false) + ", 0.0, 1.0)";
    }
    g += std::string("  ") + (k.resultArg ? "temp" : "current") + " = vec4(color" + n + ", " +
         alpha + ");\n";
  }
  if (key.specularAdd) g += "  current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
  g += "  vec4 d3dColor = current;\n";
  g += FragmentEpilogueGlsl();
  g += "}\n";
  return g;
}

}  // namespace platform::d3d8
