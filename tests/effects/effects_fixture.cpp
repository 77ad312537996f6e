#include "effects_fixture.h"

#include <cstring>
#include <string>

#include "app/setup_dialog.h"
#include "app/window_and_device.h"
#include "host/host.h"

namespace {

class OfflineHost : public testing::Environment {
 public:
  void SetUp() override {
    platform::host::OfflineOptions options;
    options.width = 320;
    options.height = 288;
    std::string error;
    ASSERT_TRUE(platform::host::Initialize(&options, &error)) << error;
  }
};
const auto* const environment = testing::AddGlobalTestEnvironment(new OfflineHost);

}  // namespace

void EffectsTest::SetUp() {
  direct3D = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(direct3D, nullptr);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = kWidth;
  pp.BackBufferHeight = kHeight;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  ASSERT_EQ(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &pp, &device),
            D3D_OK);
  // As the window code does: a screen-sized depth buffer bound by hand.
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                              &depth),
            D3D_OK);
  device->SetRenderTarget(nullptr, depth);
  depth->Release();
  displaySettings.width = kWidth;
  displaySettings.height = kHeight;
}

void EffectsTest::TearDown() {
  // The demo never releases its objects; the tests drop the device with everything on it.
  device = nullptr;
  direct3D = nullptr;
}

IDirect3DSurface8* EffectsTest::BackBuffer() {
  IDirect3DSurface8* surface = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
  surface->Release();  // the device keeps it alive
  return surface;
}

IDirect3DSurface8* EffectsTest::CurrentTarget() {
  IDirect3DSurface8* surface = nullptr;
  device->GetRenderTarget(&surface);
  surface->Release();
  return surface;
}

std::vector<uint32_t> EffectsTest::ReadBack(IDirect3DSurface8* surface) {
  D3DSURFACE_DESC desc;
  surface->GetDesc(&desc);
  IDirect3DSurface8* image = nullptr;
  EXPECT_EQ(device->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &image), D3D_OK);
  EXPECT_EQ(device->CopyRects(surface, nullptr, 0, image, nullptr), D3D_OK);
  D3DLOCKED_RECT locked;
  image->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  std::vector<uint32_t> pixels(size_t(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memcpy(&pixels[size_t(y) * desc.Width],
                static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
  }
  image->UnlockRect();
  image->Release();
  return pixels;
}

IDirect3DTexture8* EffectsTest::SolidTexture(uint32_t argb) {
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (int i = 0; i < 16; ++i) std::memcpy(static_cast<uint8_t*>(locked.pBits) + i * 4, &argb, 4);
  texture->UnlockRect(0);
  return texture;
}
