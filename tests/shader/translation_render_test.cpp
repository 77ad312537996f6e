// Translated shaders drawn on Mesa's software rasteriser: values read back against what the
// D3D8 instruction rules give.
#include <gtest/gtest.h>

#include <cmath>

#include "gl_harness.h"

using namespace shadertest;

namespace {

const char kPassVertex[] =
    "vs.1.1\n"
    "mov oPos, v0\n"
    "mov oT0, v7\n"
    "mov oD0, v5\n";

int Byte(float f) { return static_cast<int>(std::lround(std::fmin(std::fmax(f, 0.0f), 1.0f) * 255.0f)); }

void ExpectColour(const Image& image, int x, int y, std::array<float, 4> want, int tolerance = 2) {
  const auto got = image.At(x, y);
  for (int c = 0; c < 4; ++c)
    EXPECT_NEAR(got[c], Byte(want[c]), tolerance) << "pixel (" << x << ", " << y << ") channel " << c;
}

Texture Solid(uint32_t argb, int size = 2) {
  Texture t;
  t.size = size;
  t.texels[0].assign(static_cast<size_t>(size) * size, argb);
  return t;
}

// Four quadrants: top-left red, top-right green, bottom-left blue, bottom-right white.
Texture Quadrants(int size = 4) {
  Texture t;
  t.size = size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const bool right = x >= size / 2, bottom = y >= size / 2;
      t.texels[0].push_back(!bottom ? (right ? 0xFF00FF00u : 0xFFFF0000u) : (right ? 0xFFFFFFFFu : 0xFF0000FFu));
    }
  return t;
}

class TranslatedShaders : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(EnsureGl(&error)) << error;
  }
  Image Render(const DrawJob& job) {
    Image image;
    std::string error;
    EXPECT_TRUE(Draw(job, &image, &error)) << error;
    if (image.rgba.empty()) image.rgba.assign(kSize * kSize * 4, 0);
    return image;
  }
};

}  // namespace

TEST_F(TranslatedShaders, M4x4PlacesTheTriangleWhereTheMatrixSays) {
  DrawJob job;
  // Row-vector matrix: scale by 0.5, move by (+0.5, +0.5). m4x4 takes the transposed matrix,
  // one column per constant register.
  job.vertexSource = "vs.1.1\nm4x4 oPos, v0, c4\nmov oD0, c0\n";
  job.pixelSource = "ps.1.1\nmov r0, v0\n";
  job.vsConst[0] = {1, 1, 1, 1};
  job.vsConst[4] = {0.5f, 0, 0, 0.5f};
  job.vsConst[5] = {0, 0.5f, 0, 0.5f};
  job.vsConst[6] = {0, 0, 1, 0};
  job.vsConst[7] = {0, 0, 0, 1};
  // A triangle over the whole clip square's lower-left half ends up in the top-right quadrant.
  job.inputs[0] = {{-1, -1, 0.5f, 1}, {1, -1, 0.5f, 1}, {1, 1, 0.5f, 1}};
  Image image = Render(job);
  ExpectColour(image, 30, 14, {1, 1, 1, 1});   // inside: right part of the top half
  ExpectColour(image, 20, 2, {0, 0, 0, 0});    // top-right quadrant, above the diagonal
  ExpectColour(image, 8, 8, {0, 0, 0, 0});     // top-left quadrant
  ExpectColour(image, 30, 20, {0, 0, 0, 0});   // bottom half
}

TEST_F(TranslatedShaders, TexThenMulByConstant) {
  DrawJob job;
  job.vertexSource = kPassVertex;
  job.pixelSource = "ps.1.1\ntex t0\nmul r0, t0, c0\n";
  job.psConst[0] = {0.5f, 1.0f, 0.25f, 1.0f};
  job.textures.push_back({0, Solid(0xFF80FF40)});  // a=1, r=0x80, g=1, b=0x40
  FullScreenQuad(&job, 7, {{{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 0}}});
  Image image = Render(job);
  ExpectColour(image, 16, 16, {0x80 / 255.0f * 0.5f, 1.0f, 0x40 / 255.0f * 0.25f, 1.0f});
}

TEST_F(TranslatedShaders, Bx2Dp3BumpTerm) {
  DrawJob job;
  job.vertexSource = kPassVertex;
  job.pixelSource = "ps.1.1\ntex t0\ndp3_sat r0, t0_bx2, v0_bx2\n";
  // Normal map texel (0xC0, 0x80, 0xE0) and light colour (0xA0, 0xC0, 0xF0).
  job.textures.push_back({0, Solid(0xFFC080E0)});
  const float lr = 0xA0 / 255.0f, lg = 0xC0 / 255.0f, lb = 0xF0 / 255.0f;
  FullScreenQuad(&job, 5, {{{lr, lg, lb, 1}, {lr, lg, lb, 1}, {lr, lg, lb, 1}, {lr, lg, lb, 1}}});
  FullScreenQuad(&job, 7, {});
  job.inputs[0].resize(6);
  auto bx2 = [](float v) { return 2.0f * v - 1.0f; };
  const float n[3] = {bx2(0xC0 / 255.0f), bx2(0x80 / 255.0f), bx2(0xE0 / 255.0f)};
  const float l[3] = {bx2(lr), bx2(lg), bx2(lb)};
  const float d = n[0] * l[0] + n[1] * l[1] + n[2] * l[2];
  Image image = Render(job);
  ExpectColour(image, 16, 16, {d, d, d, d});
}

TEST_F(TranslatedShaders, CubeLookupFollowsTheDirection) {
  DrawJob job;
  job.vertexSource = "vs.1.1\nmov oPos, v0\nmov oT0, c0\n";
  job.pixelSource = "ps.1.1\ntex t0\nmov r0, t0\n";
  Texture cube;
  cube.cube = true;
  cube.size = 4;
  const uint32_t faceColour[6] = {0, 0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFF808080, 0xFF000080};
  for (int f = 0; f < 6; ++f) cube.texels[f].assign(16, faceColour[f]);
  cube.texels[0] = Quadrants().texels[0];  // +X carries the four quadrants
  job.textures.push_back({0, cube});
  FullScreenQuad(&job);
  struct Case {
    Vec4 direction;
    std::array<float, 4> colour;
  };
  const Case cases[] = {
      // On +X, u runs along -z and v along -y, with v = 0 at the top of the face image.
      {{1, 0.5f, -0.5f, 0}, {0, 1, 0, 1}},     // u 0.75, v 0.25: top right (green)
      {{1, 0.5f, 0.5f, 0}, {1, 0, 0, 1}},      // top left (red)
      {{1, -0.5f, 0.5f, 0}, {0, 0, 1, 1}},     // bottom left (blue)
      {{1, -0.5f, -0.5f, 0}, {1, 1, 1, 1}},    // bottom right (white)
      {{-1, 0.1f, 0.1f, 0}, {0, 1, 1, 1}},     // -X
      {{0.1f, 1, 0.1f, 0}, {1, 0, 1, 1}},      // +Y
      {{0.1f, -1, 0.1f, 0}, {1, 1, 0, 1}},     // -Y
      {{0.1f, 0.1f, 1, 0}, {0x80 / 255.0f, 0x80 / 255.0f, 0x80 / 255.0f, 1}},  // +Z
      {{0.1f, 0.1f, -1, 0}, {0, 0, 0x80 / 255.0f, 1}},                         // -Z
  };
  for (const Case& c : cases) {
    job.vsConst[0] = c.direction;
    SCOPED_TRACE(testing::Message() << c.direction[0] << "," << c.direction[1] << "," << c.direction[2]);
    ExpectColour(Render(job), 16, 16, c.colour);
  }
}

TEST_F(TranslatedShaders, SaturationAndRangeOfEachVersion) {
  struct Case {
    const char* what;
    const char* pixel;
    Vec4 c0, c1;
    std::array<float, 4> want;
  };
  const Case cases[] = {
      // 0.75 + 0.75 is held at 1 before ps.1.4, so 1 - 0.5 leaves 0.5 (1.0 without the limit).
      {"[-1, 1] limit of results", "ps.1.1\nadd r1, c0, c0\nsub r0, r1, c1\n", {0.75f, 0.75f, 0.75f, 1}, {0.5f, 0.5f, 0.5f, 0}, {0.5f, 0.5f, 0.5f, 1}},
      // ps.1.4 keeps up to 8: (0.75 + 0.75) - 0.5 = 1.0.
      {"[-8, 8] in ps.1.4", "ps.1.4\nadd r1, c0, c0\nsub r0, r1, c1\n", {0.75f, 0.75f, 0.75f, 1}, {0.9f, 0.9f, 0.9f, 0}, {0.6f, 0.6f, 0.6f, 1}},
      // Constants are read within [-1, 1]: 3.0 acts as 1.0.
      {"constants", "ps.1.1\nmul r0, c0, c1\n", {3, 3, 3, 3}, {0.25f, 0.5f, 0.75f, 1}, {0.25f, 0.5f, 0.75f, 1}},
      // _sat cuts a negative intermediate to 0; without it -0.5 + 0.75 = 0.25.
      {"saturate", "ps.1.1\nmov_sat r1, -c0\nadd r0, r1, c1\n", {0.5f, 0.5f, 0.5f, 0.5f}, {0.75f, 0.75f, 0.75f, 1}, {0.75f, 0.75f, 0.75f, 1}},
      {"no saturate", "ps.1.1\nmov r1, -c0\nadd r0, r1, c1\n", {0.5f, 0.5f, 0.5f, 0.5f}, {0.75f, 0.75f, 0.75f, 1}, {0.25f, 0.25f, 0.25f, 0.5f}},
      // Shifts apply before the limit: 0.4 * 4 = 1.6 -> 1, then _d2 of 1 * 1 = 0.5.
      {"shift then limit", "ps.1.1\nmul_x4 r1, c0, c1\nmul_d2 r0, r1, c1\n", {0.4f, 0.4f, 0.4f, 0.4f}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 0.5f}},
      // Modifiers: 1-c0, c0_bias, -c0_bx2 with c0 = 0.25: 0.75, -0.25 (+0.5), 0.5.
      {"source modifiers", "ps.1.1\nmov r1.rgb, 1-c0\n+mov r1.a, c0_bias\nadd r1.a, r1, c1\nmov r0.rgb, r1\n+mov r0.a, -c0_bx2\n",
       {0.25f, 0.25f, 0.25f, 0.25f}, {0.5f, 0.5f, 0.5f, 0.5f}, {0.75f, 0.75f, 0.75f, 0.5f}},
      // cnd picks by r0.a > 0.5, cmp by src >= 0 per component.
      {"cnd", "ps.1.1\nmov r0, c0\ncnd r0, r0.a, c1, c0\n", {0.2f, 0.2f, 0.2f, 0.6f}, {0.9f, 0.8f, 0.7f, 1}, {0.9f, 0.8f, 0.7f, 1}},
      {"cmp", "ps.1.2\nsub r1, c0, c1\ncmp r0, r1, c0, c1\n", {0.5f, 0.1f, 0.5f, 1}, {0.3f, 0.3f, 0.6f, 0.5f}, {0.5f, 0.3f, 0.6f, 1}},
      {"lrp", "ps.1.1\nlrp r0, c0, c1, 1-c1\n", {0.25f, 0.5f, 1, 0}, {1, 0.2f, 0.6f, 1}, {0.25f, 0.5f, 0.6f, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DrawJob job;
    job.vertexSource = kPassVertex;
    job.pixelSource = c.pixel;
    job.psConst[0] = c.c0;
    job.psConst[1] = c.c1;
    FullScreenQuad(&job);
    ExpectColour(Render(job), 16, 16, c.want);
  }
}

TEST_F(TranslatedShaders, VertexColourOutputsAreSaturated) {
  DrawJob job;
  job.vertexSource = "vs.1.1\nmov oPos, v0\nmov oD0, c0\n";
  job.pixelSource = "ps.1.1\nmul r0, v0, c0\n";
  job.vsConst[0] = {1.5f, -0.5f, 0.5f, 1};
  job.psConst[0] = {0.5f, 0.5f, 0.5f, 1};
  FullScreenQuad(&job);
  ExpectColour(Render(job), 16, 16, {0.5f, 0, 0.25f, 1});
}

TEST_F(TranslatedShaders, Ps14DependentRead) {
  DrawJob job;
  job.vertexSource = kPassVertex;
  // Phase 1 moves the coordinate right by half the texture; phase 2 samples stage 1 there.
  job.pixelSource =
      "ps.1.4\n"
      "texcrd r0.rgb, t0\n"
      "add r0.rgb, r0, c0\n"
      "phase\n"
      "texld r1, r0\n"
      "mov r0, r1\n";
  job.psConst[0] = {0.5f, 0, 0, 0};
  job.textures.push_back({1, Quadrants()});
  FullScreenQuad(&job, 7, {{{0.1f, 0.1f, 0, 1}, {0.1f, 0.1f, 0, 1}, {0.1f, 0.6f, 0, 1}, {0.1f, 0.6f, 0, 1}}});
  Image image = Render(job);
  ExpectColour(image, 16, 2, {0, 1, 0, 1});   // (0.6, ~0.1): top right
  ExpectColour(image, 16, 30, {1, 1, 1, 1});  // (0.6, ~0.6): bottom right
}

TEST_F(TranslatedShaders, TexbemOffsetsByTheBumpMatrix) {
  DrawJob job;
  job.vertexSource = "vs.1.1\nmov oPos, v0\nmov oT0, c0\nmov oT1, c1\n";
  job.pixelSource = "ps.1.1\ntex t0\ntexbem t1, t0\nmov r0, t1\n";
  // du = 0.5 (red channel), dv = 0; M00 = 1 moves u from 0.1 to 0.6.
  job.textures.push_back({0, Solid(0xFF800000)});
  job.textures.push_back({1, Quadrants()});
  job.vsConst[0] = {0.5f, 0.5f, 0, 1};
  job.vsConst[1] = {0.1f, 0.1f, 0, 1};
  job.bumpEnv[1] = {1, 0, 0, 1};
  FullScreenQuad(&job);
  ExpectColour(Render(job), 16, 16, {0, 1, 0, 1});
  job.bumpEnv[1] = {0, 0, 0, 0};
  ExpectColour(Render(job), 16, 16, {1, 0, 0, 1});
}

TEST_F(TranslatedShaders, VertexScalarRulesAndAddressRegister) {
  struct Case {
    const char* what;
    const char* body;
    std::array<float, 4> want;
  };
  // c0 = (0, 1, 2.7, 0.5), c1 = (0.5, 0.25, 0.125, 1), c5 = (0.1, 0.2, 0.3, 0.4).
  const Case cases[] = {
      {"rcp of 0 times 0 stays 0", "rcp r0.x, c0.x\nmul oD0, r0.x, c0.x\n", {0, 0, 0, 0}},
      {"rsq of |x|", "mov r1, -c1\nrsq r0, r1.y\nmul oD0, r0, c1.z\n", {0.25f, 0.25f, 0.25f, 0.25f}},
      {"lit", "mov r1, c1.yxzw\nmov r1.w, c0.z\nlit oD0, r1\n", {1, 0.25f, std::pow(0.5f, 2.7f), 1}},
      {"expp", "expp r0, c0.z\nmul oD0, r0, c1.zwzw\n", {0.5f, 0.7f, 0.8124f, 1}},
      {"frc", "frc oD0, c0.zwzw\n", {0.7f, 0.5f, 0.7f, 0.5f}},
      {"dst", "dst oD0, c1, c5\n", {1, 0.05f, 0.125f, 0.4f}},
      {"sge and slt", "sge r0.xy, c1, c1.y\nslt r0.zw, c1, c1.y\nmov oD0, r0\n", {1, 1, 1, 0}},
      // 2.7 goes to 3 (c4 is zero, so rounding down would read black).
      {"a0 rounds to nearest", "mov a0.x, c0.z\nmov oD0, c[a0.x + 2]\n", {0.1f, 0.2f, 0.3f, 0.4f}},
      {"index past c95 reads 0", "mov a0.x, c0.z\nmov r0, c1\nadd oD0, r0, c[a0.x + 94]\n", {0.5f, 0.25f, 0.125f, 1}},
      {"m3x2 writes two rows", "mov r0, c1\nm3x2 r0.xy, c5, c5\nmov oD0, r0\n", {0.14f, 0.14f, 0.125f, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DrawJob job;
    job.vertexSource = std::string("vs.1.1\nmov oPos, v0\n") + c.body;
    job.pixelSource = "ps.1.1\nmov r0, v0\n";
    job.vsConst[0] = {0, 1, 2.7f, 0.5f};
    job.vsConst[1] = {0.5f, 0.25f, 0.125f, 1};
    job.vsConst[5] = {0.1f, 0.2f, 0.3f, 0.4f};
    job.vsConst[6] = {0.1f, 0.2f, 0.3f, 0.4f};
    FullScreenQuad(&job);
    ExpectColour(Render(job), 16, 16, c.want);
  }
}
