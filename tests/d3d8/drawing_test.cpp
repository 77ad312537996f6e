// Drawing as D3D draws it: orientation, pixel coverage, blending, depth, culling, addressing,
// primitive kinds, indexed and transformed vertices.
#include <cmath>
#include <cstring>

#include "device_fixture.h"

namespace d3d8test {
namespace {

using Drawing = DeviceTest;

void PointSampling(IDirect3DDevice8* device, DWORD stage = 0) {
  device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
}

void ScreenSpaceStates(IDirect3DDevice8* device) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
}

TEST_F(Drawing, TopLeftTexelShowsAtPixelZero) {
  IDirect3DTexture8* texture =
      MakeTexture(4, 4, [](UINT x, UINT y) { return x == 0 && y == 0 ? 0xFFFF0000u : 0xFF0000FFu; });
  ScreenSpaceStates(device);
  UseTextureOnly();
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  for (DWORD filter : {DWORD(D3DTEXF_POINT), DWORD(D3DTEXF_LINEAR)}) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
    EXPECT_TRUE(ColourNear(Pixel(0, 0), 0xFFFF0000, 2)) << "filter " << filter;
    EXPECT_TRUE(ColourNear(Pixel(kWidth - 1, kHeight - 1), 0xFF0000FF, 2)) << "filter " << filter;
    EXPECT_TRUE(ColourNear(Pixel(kWidth - 1, 0), 0xFF0000FF, 2)) << "filter " << filter;
  }
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Drawing, RectangleCoversExactlyItsPixels) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  DrawRect(3, 5, 19, 13, 0xFFFFFFFF);
  std::vector<uint32_t> px = ReadBack();
  int lit = 0;
  for (int y = 0; y < int(kHeight); ++y) {
    for (int x = 0; x < int(kWidth); ++x) {
      bool inside = x >= 3 && x < 19 && y >= 5 && y < 13;
      bool on = (px[y * kWidth + x] & 0xFFFFFF) == 0xFFFFFF;
      EXPECT_EQ(on, inside) << x << "," << y;
      lit += on;
    }
  }
  EXPECT_EQ(lit, 16 * 8);
}

TEST_F(Drawing, RenderTargetRoundTripIsPixelExact) {
  // Every pixel its own colour; drawn into a target and from the target to the screen.
  auto pattern = [](UINT x, UINT y) { return 0xFF000000u | (x * 4) << 16 | (y * 5) << 8 | ((x * 7 + y * 3) & 0xff); };
  IDirect3DTexture8* source = MakeTexture(kWidth, kHeight, pattern);
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* targetSurface = nullptr;
  target->GetSurfaceLevel(0, &targetSurface);
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetRenderTarget(&backBuffer);
  device->GetDepthStencilSurface(&depth);

  ScreenSpaceStates(device);
  UseTextureOnly();
  PointSampling(device);
  device->SetRenderTarget(targetSurface, depth);
  device->SetTexture(0, source);
  DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
  device->SetRenderTarget(backBuffer, depth);
  device->SetTexture(0, target);
  DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);

  std::vector<uint32_t> inTarget = ReadBack(targetSurface);
  std::vector<uint32_t> onScreen = ReadBack();
  int wrongTarget = 0, wrongScreen = 0;
  for (UINT y = 0; y < kHeight; ++y) {
    for (UINT x = 0; x < kWidth; ++x) {
      wrongTarget += (inTarget[y * kWidth + x] & 0xFFFFFF) != (pattern(x, y) & 0xFFFFFF);
      wrongScreen += (onScreen[y * kWidth + x] & 0xFFFFFF) != (pattern(x, y) & 0xFFFFFF);
    }
  }
  EXPECT_EQ(wrongTarget, 0);
  EXPECT_EQ(wrongScreen, 0);
  device->SetTexture(0, nullptr);
  targetSurface->Release();
  target->Release();
  source->Release();
  backBuffer->Release();
  depth->Release();
}

struct BlendCase {
  DWORD src, dst, op;
  uint32_t expected;  // with source 0x80FF4020 drawn over destination 0xFF2060A0
};

TEST_F(Drawing, BlendFactorsMatchComputedValues) {
  const uint32_t source = 0x80FF4020, dest = 0xFF2060A0;
  auto f = [](uint32_t c, int shift) { return ((c >> shift) & 0xff) / 255.0; };
  auto expect = [&](DWORD src, DWORD dst, DWORD op) {
    uint32_t out = 0xFF000000;
    for (int shift : {16, 8, 0}) {
      double s = f(source, shift), d = f(dest, shift), sa = f(source, 24), da = 1.0;
      auto factor = [&](DWORD blend, bool forSource) {
        switch (blend) {
          case D3DBLEND_ZERO: return 0.0;
          case D3DBLEND_ONE: return 1.0;
          case D3DBLEND_SRCALPHA: return sa;
          case D3DBLEND_INVSRCALPHA: return 1.0 - sa;
          case D3DBLEND_DESTCOLOR: return d;
          case D3DBLEND_SRCCOLOR: return s;
          case D3DBLEND_INVDESTCOLOR: return 1.0 - d;
          case D3DBLEND_DESTALPHA: return da;
          default: (void)forSource; return 0.0;
        }
      };
      double a = s * factor(src, true), b = d * factor(dst, false);
      double r = op == D3DBLENDOP_ADD ? a + b : op == D3DBLENDOP_SUBTRACT ? a - b : op == D3DBLENDOP_REVSUBTRACT ? b - a : op == D3DBLENDOP_MIN ? std::min(s, d) : std::max(s, d);
      r = std::min(1.0, std::max(0.0, r));
      out |= uint32_t(std::lround(r * 255)) << shift;
    }
    return out;
  };
  const BlendCase cases[] = {
      {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0},
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 0},
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0},
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0},
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0},
      {D3DBLEND_SRCCOLOR, D3DBLEND_INVDESTCOLOR, D3DBLENDOP_ADD, 0},
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0},
      {D3DBLEND_ONE, D3DBLEND_DESTALPHA, D3DBLENDOP_SUBTRACT, 0},
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, 0},
  };
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  for (const BlendCase& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, dest, 1.0f, 0);
    device->SetRenderState(D3DRS_SRCBLEND, c.src);
    device->SetRenderState(D3DRS_DESTBLEND, c.dst);
    device->SetRenderState(D3DRS_BLENDOP, c.op);
    DrawRect(0, 0, 8, 8, source);
    EXPECT_TRUE(ColourNear(Pixel(4, 4), expect(c.src, c.dst, c.op), 2))
        << "src " << c.src << " dst " << c.dst << " op " << c.op;
  }
}

TEST_F(Drawing, DepthTestAndWriteFollowTheirStates) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  DrawRect(0, 0, 16, 16, 0xFFFF0000, 0, 0, 1, 1, 0.5f);
  DrawRect(0, 0, 16, 16, 0xFF00FF00, 0, 0, 1, 1, 0.7f);  // behind: rejected
  EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0xFF0000u);
  DrawRect(0, 0, 16, 16, 0xFF0000FF, 0, 0, 1, 1, 0.3f);  // in front: drawn
  EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0x0000FFu);
  // Without depth writes a nearer draw leaves the depth alone.
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DrawRect(0, 0, 16, 16, 0xFFFFFF00, 0, 0, 1, 1, 0.1f);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  DrawRect(0, 0, 16, 16, 0xFF00FFFF, 0, 0, 1, 1, 0.2f);  // nearer than 0.3, so drawn
  EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0x00FFFFu);
  // ZENABLE FALSE draws regardless.
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  DrawRect(0, 0, 16, 16, 0xFFFFFFFF, 0, 0, 1, 1, 0.9f);
  EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Drawing, CullingFollowsScreenWindingOnScreenAndInTargets) {
  // A clockwise triangle on screen (y down) at the left, a counter-clockwise one at the right.
  ScreenVertex clockwise[3] = {{2, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {20, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                               {2, 20, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  ScreenVertex counter[3] = {{30, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {30, 20, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                             {48, 2, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device->CreateTexture(kWidth, kHeight, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* targetSurface = nullptr;
  target->GetSurfaceLevel(0, &targetSurface);
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetRenderTarget(&backBuffer);
  device->GetDepthStencilSurface(&depth);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  UseDiffuseOnly();
  device->SetVertexShader(kScreenFvf);
  for (IDirect3DSurface8* surface : {backBuffer, targetSurface}) {
    device->SetRenderTarget(surface, depth);
    struct { DWORD cull; bool clockwiseShown, counterShown; } cases[] = {
        {D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    for (const auto& c : cases) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
      device->SetRenderState(D3DRS_CULLMODE, c.cull);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ScreenVertex));
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(ScreenVertex));
      std::vector<uint32_t> px = ReadBack(surface);
      bool leftShown = (px[6 * kWidth + 6] & 0xFFFFFF) != 0;
      bool rightShown = (px[6 * kWidth + 34] & 0xFFFFFF) != 0;
      const char* where = surface == backBuffer ? "back buffer" : "render target";
      EXPECT_EQ(leftShown, c.clockwiseShown) << where << " cull " << c.cull;
      EXPECT_EQ(rightShown, c.counterShown) << where << " cull " << c.cull;
    }
  }
  device->SetRenderTarget(backBuffer, depth);
  targetSurface->Release();
  target->Release();
  backBuffer->Release();
  depth->Release();
}

TEST_F(Drawing, AddressModesRepeatMirrorAndClamp) {
  // Two texels: red then green. u runs from -1 to 2 across 48 pixels, 16 pixels per unit.
  IDirect3DTexture8* texture =
      MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xFFFF0000u : 0xFF00FF00u; });
  ScreenSpaceStates(device);
  UseTextureOnly();
  PointSampling(device);
  device->SetTexture(0, texture);
  struct { DWORD mode; uint32_t first[3]; } cases[] = {
      // Texels sampled at u = -0.75, -0.25 (unit -1), 0.25, 0.75 (unit 0), 1.25, 1.75 (unit 1).
      {D3DTADDRESS_WRAP, {0xFF0000, 0x00FF00, 0}},
      {D3DTADDRESS_MIRROR, {0x00FF00, 0xFF0000, 0}},
      {D3DTADDRESS_CLAMP, {0xFF0000, 0xFF0000, 0}},
  };
  for (const auto& c : cases) {
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, c.mode);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawRect(0, 0, 48, 4, 0xFFFFFFFF, -1, 0, 2, 1);
    std::vector<uint32_t> px = ReadBack();
    auto at = [&](int x) { return px[2 * kWidth + x] & 0xFFFFFF; };
    // Middle of the unit 0 halves is always red then green.
    EXPECT_EQ(at(20), 0xFF0000u) << c.mode;
    EXPECT_EQ(at(28), 0x00FF00u) << c.mode;
    EXPECT_EQ(at(4), c.first[0]) << c.mode;
    EXPECT_EQ(at(12), c.first[1]) << c.mode;
    uint32_t beyondFirst = c.mode == D3DTADDRESS_WRAP ? 0xFF0000u : 0x00FF00u;
    uint32_t beyondSecond = c.mode == D3DTADDRESS_MIRROR ? 0xFF0000u : 0x00FF00u;
    EXPECT_EQ(at(36), beyondFirst) << c.mode;
    EXPECT_EQ(at(44), beyondSecond) << c.mode;
  }
  // BORDER reads the border colour everywhere outside [0, 1].
  device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_BORDER);
  device->SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFF0000FF);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  DrawRect(0, 0, 48, 4, 0xFFFFFFFF, -1, 0, 2, 1);
  std::vector<uint32_t> px = ReadBack();
  for (int x : {4, 12, 36, 44}) EXPECT_EQ(px[2 * kWidth + x] & 0xFFFFFF, 0x0000FFu) << x;
  EXPECT_EQ(px[2 * kWidth + 20] & 0xFFFFFF, 0xFF0000u);
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(Drawing, EveryPrimitiveKindDrawsWhatItNames) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  auto v = [](float x, float y) { return ScreenVertex{x, y, 0.5f, 1, 0xFFFFFFFF, 0, 0}; };
  device->SetVertexShader(kScreenFvf);
  struct Case {
    D3DPRIMITIVETYPE type;
    std::vector<ScreenVertex> vertices;
    UINT primitives;
    std::vector<std::pair<int, int>> lit, dark;
  };
  const Case cases[] = {
      {D3DPT_POINTLIST, {v(5, 5), v(9, 7)}, 2, {{5, 5}, {9, 7}}, {{6, 5}, {7, 7}}},
      {D3DPT_LINELIST, {v(0, 10), v(20, 10), v(30, 0), v(30, 20)}, 2, {{10, 10}, {30, 15}}, {{10, 12}, {25, 5}}},
      {D3DPT_LINESTRIP, {v(0, 3), v(20, 3), v(20, 30)}, 2, {{10, 3}, {20, 20}}, {{10, 20}}},
      {D3DPT_TRIANGLELIST, {v(0, 0), v(16, 0), v(0, 16), v(20, 20), v(40, 20), v(20, 40)}, 2, {{2, 2}, {22, 22}}, {{14, 14}, {38, 38}}},
      {D3DPT_TRIANGLESTRIP, {v(0, 0), v(16, 0), v(0, 16), v(16, 16)}, 2, {{2, 2}, {14, 14}}, {{20, 20}}},
      {D3DPT_TRIANGLEFAN, {v(0, 0), v(16, 0), v(16, 16), v(0, 16)}, 2, {{2, 2}, {14, 14}, {2, 14}}, {{20, 8}}},
  };
  for (const Case& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(device->DrawPrimitiveUP(c.type, c.primitives, c.vertices.data(), sizeof(ScreenVertex)),
              D3D_OK);
    std::vector<uint32_t> px = ReadBack();
    for (auto [x, y] : c.lit) EXPECT_NE(px[y * kWidth + x] & 0xFFFFFF, 0u) << c.type << " at " << x << "," << y;
    for (auto [x, y] : c.dark) EXPECT_EQ(px[y * kWidth + x] & 0xFFFFFF, 0u) << c.type << " at " << x << "," << y;
  }
  EXPECT_EQ(device->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(9), 1, cases[0].vertices.data(), 28),
            D3DERR_INVALIDCALL);
}

TEST_F(Drawing, IndexedDrawsUseTheBaseVertexAndBothIndexSizes) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  // Eight vertices: a decoy quad at the left, the real one at the right.
  ScreenVertex vertices[8];
  for (int q = 0; q < 2; ++q) {
    float x0 = q == 0 ? 0.0f : 32.0f;
    DWORD colour = q == 0 ? 0xFFFF0000 : 0xFF00FF00;
    vertices[q * 4 + 0] = {x0, 0, 0.5f, 1, colour, 0, 0};
    vertices[q * 4 + 1] = {x0 + 16, 0, 0.5f, 1, colour, 0, 0};
    vertices[q * 4 + 2] = {x0 + 16, 16, 0.5f, 1, colour, 0, 0};
    vertices[q * 4 + 3] = {x0, 16, 0.5f, 1, colour, 0, 0};
  }
  IDirect3DVertexBuffer8* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(sizeof(vertices), D3DUSAGE_WRITEONLY, kScreenFvf,
                                       D3DPOOL_MANAGED, &vb),
            D3D_OK);
  BYTE* data = nullptr;
  vb->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices, sizeof(vertices));
  vb->Unlock();
  device->SetVertexShader(kScreenFvf);
  device->SetStreamSource(0, vb, sizeof(ScreenVertex));
  for (D3DFORMAT format : {D3DFMT_INDEX16, D3DFMT_INDEX32}) {
    UINT size = format == D3DFMT_INDEX16 ? 2 : 4;
    IDirect3DIndexBuffer8* ib = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(8 * size, 0, format, D3DPOOL_MANAGED, &ib), D3D_OK);
    ib->Lock(0, 0, &data, 0);
    const uint32_t indices[8] = {9, 9, 0, 1, 2, 0, 2, 3};  // two unused entries first
    for (int i = 0; i < 8; ++i) std::memcpy(data + i * size, &indices[i], size);
    ib->Unlock();
    device->SetIndices(ib, 4);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 2, 2), D3D_OK);
    EXPECT_EQ(Pixel(40, 8) & 0xFFFFFF, 0x00FF00u) << format;
    EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0u) << format;
    // Reading past the end of the index buffer, or indices past the vertex buffer, are
    // refused rather than drawn.
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 4, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL)
        << "index 9 + base 4 lies past the eight vertices";
    device->SetIndices(nullptr, 0);
    ib->Release();
  }
  // The same with user pointers, 16-bit indices.
  const WORD userIndices[6] = {4, 5, 6, 4, 6, 7};
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 4, 2, userIndices, D3DFMT_INDEX16,
                                           vertices, sizeof(ScreenVertex)),
            D3D_OK);
  EXPECT_EQ(Pixel(40, 8) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(Pixel(8, 8) & 0xFFFFFF, 0u);
  const WORD stray[3] = {4, 5, 8};  // 8 is outside the four vertices from 4
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 4, 4, 1, stray, D3DFMT_INDEX16,
                                           vertices, sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
  // Non-indexed draws past the end of the vertex buffer are refused too.
  device->SetStreamSource(0, vb, sizeof(ScreenVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 4, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 4, 2), D3D_OK);
  device->SetStreamSource(0, nullptr, 0);
  vb->Release();
}

TEST_F(Drawing, UntransformedVerticesGoThroughWorldViewProjection) {
  struct Vertex {
    float x, y, z;
    DWORD colour;
  };
  // World moves by (1, 0, 0); view is identity; the projection scales x by 1/4 and y by 1/3,
  // keeps z in [0, 1]. The point (-1, 0, 0.5) lands at clip x = 0: the screen's centre column.
  D3DMATRIX world = {}, view = {}, projection = {};
  world._11 = world._22 = world._33 = world._44 = 1;
  world._41 = 1;
  view._11 = view._22 = view._33 = view._44 = 1;
  projection._11 = 0.25f;
  projection._22 = 1.0f / 3.0f;
  projection._33 = 1;
  projection._44 = 1;
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DMATRIX back;
  device->GetTransform(D3DTS_WORLD, &back);
  EXPECT_EQ(back._41, 1.0f);
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  // A square from x = -1 to 0 (world) and y = 0 to 1.5: after the move x runs 0..1, clip x
  // 0..0.25, the screen's centre to 1/8 of the width right of it; clip y 0..0.5 is the centre
  // up to a quarter of the height.
  Vertex square[4] = {{-1, 0, 0.5f, 0xFF00FF00}, {0, 0, 0.5f, 0xFF00FF00},
                      {0, 1.5f, 0.5f, 0xFF00FF00}, {-1, 1.5f, 0.5f, 0xFF00FF00}};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, square, sizeof(Vertex)), D3D_OK);
  std::vector<uint32_t> px = ReadBack();
  auto lit = [&](int x, int y) { return (px[y * kWidth + x] & 0xFFFFFF) != 0; };
  // Centre (32, 24); x covers 32..40, y covers 12..24 (up is smaller y on screen).
  EXPECT_TRUE(lit(32, 23));
  EXPECT_TRUE(lit(39, 12));
  EXPECT_FALSE(lit(31, 21));
  EXPECT_FALSE(lit(40, 21));
  EXPECT_FALSE(lit(35, 24));
  EXPECT_FALSE(lit(35, 11));
}

TEST_F(Drawing, TransformedGeometryFillsTheViewportFromItsTopLeft) {
  struct Vertex {
    float x, y, z;
    DWORD colour;
  };
  // Identity transforms: clip space -1..1 covers exactly the viewport.
  D3DMATRIX identity = {};
  identity._11 = identity._22 = identity._33 = identity._44 = 1;
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &identity);
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  // The top half of clip space (y > 0) in red, the bottom half in blue.
  Vertex top[4] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFFFF0000}, {1, 0, 0.5f, 0xFFFF0000},
                   {-1, 0, 0.5f, 0xFFFF0000}};
  Vertex bottom[4] = {{-1, 0, 0.5f, 0xFF0000FF}, {1, 0, 0.5f, 0xFF0000FF},
                      {1, -1, 0.5f, 0xFF0000FF}, {-1, -1, 0.5f, 0xFF0000FF}};
  D3DVIEWPORT8 viewport = {16, 8, 32, 16, 0.0f, 1.0f};
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, top, sizeof(Vertex));
  device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, bottom, sizeof(Vertex));
  std::vector<uint32_t> px = ReadBack();
  auto at = [&](int x, int y) { return px[y * kWidth + x] & 0xFFFFFF; };
  EXPECT_EQ(at(16, 8), 0xFF0000u);
  EXPECT_EQ(at(47, 15), 0xFF0000u);
  EXPECT_EQ(at(16, 16), 0x0000FFu);
  EXPECT_EQ(at(47, 23), 0x0000FFu);
  EXPECT_EQ(at(15, 12), 0u);
  EXPECT_EQ(at(48, 12), 0u);
  EXPECT_EQ(at(30, 7), 0u);
  EXPECT_EQ(at(30, 24), 0u);
  D3DVIEWPORT8 tooBig = {40, 0, 32, 16, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&tooBig), D3DERR_INVALIDCALL);
}

TEST_F(Drawing, StencilAndColourWriteMaskShapeWhatIsDrawn) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
  // Mark a rectangle in the stencil buffer without touching colour.
  device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  device->SetRenderState(D3DRS_STENCILREF, 1);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  DrawRect(8, 8, 24, 24, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(16, 16) & 0xFFFFFF, 0u) << "colour writes were off";
  // Only the marked pixels take the next draw; it writes green alone.
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
  DrawRect(0, 0, kWidth, kHeight, 0xFFFFFFFF);
  device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  EXPECT_EQ(Pixel(16, 16) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(Pixel(4, 4) & 0xFFFFFF, 0u);
  EXPECT_EQ(Pixel(24, 16) & 0xFFFFFF, 0u);
}

TEST_F(Drawing, AlphaTestDiscardsByTheReference) {
  ScreenSpaceStates(device);
  UseDiffuseOnly();
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 0x80);
  struct { DWORD func; bool below, equal, above; } cases[] = {
      {D3DCMP_GREATER, false, false, true},
      {D3DCMP_GREATEREQUAL, false, true, true},
      {D3DCMP_LESS, true, false, false},
      {D3DCMP_NOTEQUAL, true, false, true},
      {D3DCMP_NEVER, false, false, false},
  };
  for (const auto& c : cases) {
    device->SetRenderState(D3DRS_ALPHAFUNC, c.func);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawRect(0, 0, 8, 8, 0x7FFFFFFF);
    DrawRect(8, 0, 16, 8, 0x80FFFFFF);
    DrawRect(16, 0, 24, 8, 0x81FFFFFF);
    std::vector<uint32_t> px = ReadBack();
    EXPECT_EQ((px[4 * kWidth + 4] & 0xFFFFFF) != 0, c.below) << c.func;
    EXPECT_EQ((px[4 * kWidth + 12] & 0xFFFFFF) != 0, c.equal) << c.func;
    EXPECT_EQ((px[4 * kWidth + 20] & 0xFFFFFF) != 0, c.above) << c.func;
  }
}

}  // namespace
}  // namespace d3d8test
