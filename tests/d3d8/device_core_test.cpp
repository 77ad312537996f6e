// The device core: clears, Present, render targets, readback, resources and their errors.
#include <cstring>

#include "device_fixture.h"

namespace d3d8test {
namespace {

using DeviceCore = DeviceTest;

TEST_F(DeviceCore, ClearCoversViewportAndRectanglesInsideIt) {
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  D3DVIEWPORT8 viewport = {8, 4, 16, 8, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  // Half of this rectangle lies outside the viewport and must stay untouched.
  D3DRECT rect = {20, 0, 40, 10};
  ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  std::vector<uint32_t> px = ReadBack();
  auto at = [&](int x, int y) { return px[y * kWidth + x] & 0xFFFFFF; };
  EXPECT_EQ(at(0, 0), 0xFF0000u);
  EXPECT_EQ(at(7, 4), 0xFF0000u);
  EXPECT_EQ(at(8, 4), 0x00FF00u);
  EXPECT_EQ(at(19, 9), 0x00FF00u);
  EXPECT_EQ(at(20, 4), 0x0000FFu);
  EXPECT_EQ(at(23, 9), 0x0000FFu);
  EXPECT_EQ(at(24, 4), 0xFF0000u);
  EXPECT_EQ(at(20, 3), 0xFF0000u);
  EXPECT_EQ(at(20, 12), 0xFF0000u);
  EXPECT_EQ(at(kWidth - 1, kHeight - 1), 0xFF0000u);
}

TEST_F(DeviceCore, PresentHandsTheHostTheImageTopRowFirst) {
  size_t before = PresentedFrames().size();
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  D3DRECT top = {0, 0, kWidth, 2};
  device->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  ASSERT_EQ(PresentedFrames().size(), before + 1);
  const PresentedFrame& frame = PresentedFrames().back();
  ASSERT_EQ(frame.width, kWidth);
  ASSERT_EQ(frame.height, kHeight);
  const uint8_t* first = &frame.bgra[0];
  const uint8_t* last = &frame.bgra[(size_t(kHeight) - 1) * kWidth * 4];
  EXPECT_EQ(first[2], 255);  // red on top
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(last[0], 255);  // blue below
  EXPECT_EQ(last[2], 0);
  // Drawing goes on after the host had the GL context.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  EXPECT_EQ(Pixel(5, 5) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(DeviceCore, RenderTargetsSwitchAndResetTheViewport) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_DEFAULT, &texture),
            D3D_OK);
  IDirect3DSurface8* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  ASSERT_EQ(device->GetRenderTarget(&backBuffer), D3D_OK);
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);

  D3DVIEWPORT8 small = {1, 1, 4, 4, 0.0f, 1.0f};
  device->SetViewport(&small);
  ASSERT_EQ(device->SetRenderTarget(surface, depth), D3D_OK);
  D3DVIEWPORT8 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.X, 0u);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 16u);
  IDirect3DSurface8* current = nullptr;
  device->GetRenderTarget(&current);
  EXPECT_EQ(current, surface);
  current->Release();

  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF112233, 1.0f, 0),
            D3D_OK);
  EXPECT_EQ(Pixel(31, 15, surface) & 0xFFFFFF, 0x112233u);
  // The target has no alpha channel: it reads opaque whatever the clear said.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00445566, 1.0f, 0);
  EXPECT_EQ(Pixel(0, 0, surface), 0xFF445566u);

  // A null colour target keeps the current one and only swaps the depth buffer.
  ASSERT_EQ(device->SetRenderTarget(nullptr, nullptr), D3D_OK);
  device->GetRenderTarget(&current);
  EXPECT_EQ(current, surface);
  current->Release();
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);

  ASSERT_EQ(device->SetRenderTarget(backBuffer, depth), D3D_OK);
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, kWidth);
  EXPECT_EQ(viewport.Height, kHeight);

  // A depth buffer smaller than the colour target is refused, as D3D does.
  IDirect3DSurface8* tinyDepth = nullptr;
  ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                              &tinyDepth),
            D3D_OK);
  EXPECT_EQ(device->SetRenderTarget(surface, tinyDepth), D3DERR_INVALIDCALL);
  tinyDepth->Release();

  surface->Release();
  texture->Release();
  backBuffer->Release();
  depth->Release();
}

TEST_F(DeviceCore, CopyRectsMovesPixelsBetweenSurfaces) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  D3DRECT spot = {10, 20, 12, 22};
  device->Clear(1, &spot, D3DCLEAR_TARGET, 0xFFABCDEF, 1.0f, 0);
  IDirect3DSurface8* backBuffer = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_X8R8G8B8, &image), D3D_OK);
  RECT source = {9, 19, 13, 23};
  POINT at = {2, 3};
  ASSERT_EQ(device->CopyRects(backBuffer, &source, 1, image, &at), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(image->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32);
  auto word = [&](int x, int y) {
    uint32_t c;
    std::memcpy(&c, static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    return c & 0xFFFFFF;
  };
  EXPECT_EQ(word(2, 3), 0u);
  EXPECT_EQ(word(3, 4), 0xABCDEFu);
  EXPECT_EQ(word(4, 5), 0xABCDEFu);
  EXPECT_EQ(word(5, 6), 0u);
  EXPECT_EQ(word(0, 0), 0u);
  // A second lock while locked is refused; the unlock frees it.
  D3DLOCKED_RECT again;
  EXPECT_EQ(image->LockRect(&again, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(image->UnlockRect(), D3D_OK);

  // And back: an image surface copied into the back buffer.
  POINT corner = {0, 0};
  RECT piece = {3, 4, 5, 6};
  ASSERT_EQ(device->CopyRects(image, &piece, 1, backBuffer, &corner), D3D_OK);
  EXPECT_EQ(Pixel(1, 1) & 0xFFFFFF, 0xABCDEFu);

  // Rectangles outside either surface and mismatched formats are refused.
  RECT outside = {0, 0, 9, 9};
  EXPECT_EQ(device->CopyRects(backBuffer, &outside, 1, image, nullptr), D3DERR_INVALIDCALL);
  IDirect3DSurface8* grey = nullptr;
  ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_L8, &grey), D3D_OK);
  EXPECT_EQ(device->CopyRects(image, nullptr, 0, grey, nullptr), D3DERR_INVALIDCALL);
  grey->Release();
  image->Release();
  backBuffer->Release();
}

TEST_F(DeviceCore, CallsOutsideTheRulesFailCleanly) {
  EXPECT_EQ(Direct3DCreate8(119), nullptr);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(4000), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTexture(8, nullptr), D3DERR_INVALIDCALL);
  float four[4] = {};
  EXPECT_EQ(device->SetVertexShaderConstant(95, four, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetPixelShaderConstant(8, four, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShader(7), D3DERR_INVALIDCALL);  // odd: a handle never made
  EXPECT_EQ(device->SetPixelShader(3), D3DERR_INVALIDCALL);
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  // A render-target texture lives on the GPU: it cannot be locked.
  ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                  D3DPOOL_DEFAULT, &texture),
            D3D_OK);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(DeviceCore, TheOfflineAdapterOffersItsOneModeAndTransformHardware) {
  ASSERT_EQ(d3d->GetAdapterModeCount(D3DADAPTER_DEFAULT), 1u);
  D3DDISPLAYMODE mode = {};
  ASSERT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, 0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, kWidth);
  EXPECT_EQ(mode.Height, kHeight);
  EXPECT_EQ(mode.RefreshRate, 60u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d->EnumAdapterModes(D3DADAPTER_DEFAULT, 1, &mode), D3DERR_INVALIDCALL);
  D3DCAPS8 caps = {};
  ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  EXPECT_EQ(caps.VertexShaderVersion, DWORD(D3DVS_VERSION(1, 1)));
  EXPECT_EQ(caps.PixelShaderVersion, DWORD(D3DPS_VERSION(1, 4)));
}

TEST_F(DeviceCore, DefaultStatesAreThoseOfD3D8) {
  DWORD value = 0;
  device->GetRenderState(D3DRS_CULLMODE, &value);
  EXPECT_EQ(value, DWORD(D3DCULL_CCW));
  device->GetRenderState(D3DRS_ZENABLE, &value);
  EXPECT_EQ(value, DWORD(D3DZB_TRUE));  // an automatic depth buffer was asked for
  device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
  EXPECT_EQ(value, 0xFFFFFFFFu);
  device->GetRenderState(D3DRS_COLORWRITEENABLE, &value);
  EXPECT_EQ(value, 0xFu);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, DWORD(D3DTOP_MODULATE));
  device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
  EXPECT_EQ(value, DWORD(D3DTOP_DISABLE));
  device->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &value);
  EXPECT_EQ(value, 3u);
  device->GetTextureStageState(2, D3DTSS_MINFILTER, &value);
  EXPECT_EQ(value, DWORD(D3DTEXF_POINT));
  ASSERT_EQ(device->SetRenderState(D3DRS_AMBIENT, 0xFF303030), D3D_OK);
  device->GetRenderState(D3DRS_AMBIENT, &value);
  EXPECT_EQ(value, 0xFF303030u);
}

TEST_F(DeviceCore, ManagedBuffersKeepWhatWasWritten) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(112, 0, kScreenFvf, D3DPOOL_MANAGED, &buffer), D3D_OK);
  BYTE* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  for (int i = 0; i < 112; ++i) data[i] = static_cast<BYTE>(i * 7);
  ASSERT_EQ(buffer->Unlock(), D3D_OK);
  // Drawing from it uploads it; the system copy must survive that.
  device->SetStreamSource(0, buffer, 28);
  device->SetVertexShader(kScreenFvf);
  device->DrawPrimitive(D3DPT_POINTLIST, 0, 1);
  ASSERT_EQ(buffer->Lock(28, 28, &data, D3DLOCK_READONLY), D3D_OK);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(data[i], static_cast<BYTE>((i + 28) * 7));
  buffer->Unlock();
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Lock(100, 13, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(data, nullptr);
  D3DVERTEXBUFFER_DESC desc;
  buffer->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 112u);
  EXPECT_EQ(desc.FVF, kScreenFvf);
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();

  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices), D3D_OK);
  ASSERT_EQ(indices->Lock(4, 4, &data, 0), D3D_OK);
  DWORD value = 0xDEADBEEF;
  std::memcpy(data, &value, 4);
  indices->Unlock();
  ASSERT_EQ(indices->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  std::memcpy(&value, data + 4, 4);
  EXPECT_EQ(value, 0xDEADBEEFu);
  indices->Unlock();
  indices->Release();
}

TEST_F(DeviceCore, TexturesDescribeTheirLevelsAndFaces) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 5u);  // 16x4, 8x2, 4x1, 2x1, 1x1
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 2u);
  EXPECT_EQ(desc.Height, 1u);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(texture->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT locked;
  RECT part = {2, 1, 4, 2};
  ASSERT_EQ(texture->LockRect(1, &locked, &part, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 16);
  texture->UnlockRect(1);
  RECT tooWide = {0, 0, 9, 1};
  EXPECT_EQ(texture->LockRect(1, &locked, &tooWide, 0), D3DERR_INVALIDCALL);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  IDirect3DBaseTexture8* container = nullptr;
  ASSERT_EQ(level->GetContainer(&container), D3D_OK);
  EXPECT_EQ(container, texture);
  container->Release();
  level->Release();
  EXPECT_EQ(texture->Release(), 0u);

  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  EXPECT_EQ(cube->GetLevelCount(), 2u);
  IDirect3DSurface8* face = nullptr;
  ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_NEGATIVE_Z, 1, &face), D3D_OK);
  face->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 4u);
  face->Release();
  EXPECT_EQ(cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(6), 0, &face),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32);
  cube->UnlockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0);
  EXPECT_EQ(cube->Release(), 0u);
}

}  // namespace
}  // namespace d3d8test
