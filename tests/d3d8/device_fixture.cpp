#include "device_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host.h"

namespace d3d8test {

namespace {

std::vector<PresentedFrame> frames;

class OfflineHost : public testing::Environment {
 public:
  void SetUp() override {
    platform::host::OfflineOptions options;
    options.width = DeviceTest_kWidth();
    options.height = DeviceTest_kHeight();
    options.frameSink = [](int, const uint8_t* bgra, UINT w, UINT h) {
      frames.push_back({w, h, std::vector<uint8_t>(bgra, bgra + size_t(w) * h * 4)});
    };
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  }
  static UINT DeviceTest_kWidth() { return 64; }
  static UINT DeviceTest_kHeight() { return 48; }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new OfflineHost);

}  // namespace

const std::vector<PresentedFrame>& PresentedFrames() { return frames; }

void DeviceTest::SetUp() {
  d3d = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = kWidth;
  pp.BackBufferHeight = kHeight;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                              &pp, &device),
            D3D_OK);
  ASSERT_NE(device, nullptr);
}

void DeviceTest::TearDown() {
  if (device) {
    EXPECT_EQ(device->Release(), 0u);
  }
  if (d3d) d3d->Release();
}

std::vector<uint32_t> DeviceTest::ReadBack(IDirect3DSurface8* surface) {
  IDirect3DSurface8* source = surface;
  if (!source) device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &source);
  D3DSURFACE_DESC desc;
  source->GetDesc(&desc);
  IDirect3DSurface8* image = nullptr;
  EXPECT_EQ(device->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &image), D3D_OK);
  EXPECT_EQ(device->CopyRects(source, nullptr, 0, image, nullptr), D3D_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memcpy(&pixels[size_t(y) * desc.Width],
                static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
  }
  image->UnlockRect();
  image->Release();
  if (!surface) source->Release();
  return pixels;
}

uint32_t DeviceTest::Pixel(int x, int y, IDirect3DSurface8* surface) {
  IDirect3DSurface8* source = surface;
  if (!source) device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &source);
  D3DSURFACE_DESC desc;
  source->GetDesc(&desc);
  std::vector<uint32_t> pixels = ReadBack(source);
  if (!surface) source->Release();
  return pixels[size_t(y) * desc.Width + x];
}

IDirect3DTexture8* DeviceTest::MakeTexture(UINT width, UINT height,
                                           const std::function<uint32_t(UINT, UINT)>& colour,
                                           D3DFORMAT format) {
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      uint32_t c = colour(x, y);
      uint8_t* p = static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch;
      if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
        std::memcpy(p + x * 4, &c, 4);
      }
    }
  }
  texture->UnlockRect(0);
  return texture;
}

void DeviceTest::DrawRect(float x0, float y0, float x1, float y1, DWORD colour, float u0,
                          float v0, float u1, float v1, float z) {
  ScreenVertex quad[4] = {{x0, y0, z, 1, colour, u0, v0},
                          {x1, y0, z, 1, colour, u1, v0},
                          {x1, y1, z, 1, colour, u1, v1},
                          {x0, y1, z, 1, colour, u0, v1}};
  device->SetVertexShader(kScreenFvf);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
}

void DeviceTest::UseTextureOnly() {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

void DeviceTest::UseDiffuseOnly() {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
}

::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance,
                                      bool withAlpha) {
  auto near = [&](int a, int e) { return std::abs(a - e) <= tolerance; };
  bool ok = near(Red(actual), Red(expected)) && near(Green(actual), Green(expected)) &&
            near(Blue(actual), Blue(expected)) &&
            (!withAlpha || near(Alpha(actual), Alpha(expected)));
  char text[96];
  std::snprintf(text, sizeof(text), "got %08X, expected %08X (+-%d)", actual, expected, tolerance);
  if (ok) return ::testing::AssertionSuccess() << text;
  return ::testing::AssertionFailure() << text;
}

}  // namespace d3d8test
