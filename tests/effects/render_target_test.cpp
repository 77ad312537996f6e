// Render targets: a fresh target is opaque black, Begin and End switch targets as the frame
// code relies on.
#include "app/window_and_device.h"
#include "effects/render_target.h"
#include "effects_fixture.h"

namespace {

using RenderTargets = EffectsTest;

TEST_F(RenderTargets, CreateGivesOpaqueBlackAndLeavesTheBackBufferCurrent) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
  RenderTarget target;
  target.width = 64.0f;
  target.height = 32.9f;  // truncated to 32
  target.Create();
  ASSERT_NE(target.texture, nullptr);
  D3DSURFACE_DESC desc;
  target.surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  for (uint32_t pixel : ReadBack(target.surface)) ASSERT_EQ(pixel, 0xFF000000u);
  EXPECT_EQ(CurrentTarget(), BackBuffer());
  EXPECT_EQ(target.savedColourSurface, BackBuffer());
  EXPECT_EQ(ReadBack(BackBuffer())[0], 0xFF336699u);
}

TEST_F(RenderTargets, BeginKeepsOrClearsAndEndReturnsToTheBackBuffer) {
  RenderTarget a, b;
  a.Create();
  b.Create();
  a.Begin(true);
  EXPECT_EQ(CurrentTarget(), a.surface);
  D3DVIEWPORT8 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 256u);
  EXPECT_EQ(viewport.Height, 256u);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  a.End();
  EXPECT_EQ(CurrentTarget(), BackBuffer());
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, kWidth);

  a.Begin(false);
  EXPECT_EQ(ReadBack(a.surface)[100 * 256 + 100], 0xFFFF0000u) << "kept without clearing";
  a.Begin(true);
  EXPECT_EQ(ReadBack(a.surface)[100 * 256 + 100], 0xFF000000u) << "cleared";

  // No nesting: B, then A, then End of A is the back buffer again.
  b.Begin(false);
  a.Begin(false);
  a.End();
  EXPECT_EQ(CurrentTarget(), BackBuffer());
}

TEST_F(RenderTargets, ATargetWithoutATextureStaysInert) {
  RenderTarget tooBig;
  tooBig.width = 100000.0f;  // no device makes such a texture
  tooBig.Create();
  EXPECT_EQ(tooBig.texture, nullptr);
  EXPECT_EQ(tooBig.surface, nullptr);
  tooBig.Begin(true);
  EXPECT_EQ(CurrentTarget(), BackBuffer());
  tooBig.End();
  EXPECT_EQ(CurrentTarget(), BackBuffer());
}

}  // namespace
