// The demo's texture loaders, from a pack, on the demo's device.
#include <gtest/gtest.h>

#include <d3dx8tex.h>

#include <string>
#include <vector>

#include "app/window_and_device.h"
#include "pack/pack_file.h"
#include "pack/texture_loaders.h"
#include "pack_writer.h"
#include "texture_render_fixture.h"

namespace {

using namespace packtest;

class TextureLoadersTest : public TextureRenderTest {};

// The demo's loaders, from a pack, on the demo's device.
TEST_F(TextureLoadersTest, PackedJpegAndTgaLoadOnTheDemoDevice) {
  vantrel::pack::PackWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Add("!textures\\quad.jpg", QuadrantJpeg(), &error)) << error;
  // A 4 x 2 TGA, 24 bits, rows bottom-up as most TGA writers store them.
  std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 24, 0};
  for (int i = 0; i < 8; ++i) tga.insert(tga.end(), {uint8_t(i * 30), 0x80, 0x40});
  ASSERT_TRUE(writer.Add("!textures\\fur.tga", tga, &error)) << error;
  const std::string path = (packtest::TempFolder() / "render.dat").string();
  ASSERT_TRUE(writer.Write(path, &error)) << error;
  ASSERT_TRUE(packFile.OpenPack(path.c_str()));
  ::device = device;

  IDirect3DTexture8* jpeg = LoadJpegTexture("!TEXTURES\\QUAD.JPG");
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->GetLevelCount(), 5u);
  DrawTextured(jpeg);
  ExpectQuadrants();
  jpeg->Release();

  IDirect3DTexture8* particle = LoadPackedTexture("!textures\\fur.tga", D3DPOOL_DEFAULT);
  ASSERT_NE(particle, nullptr);
  D3DSURFACE_DESC desc = {};
  particle->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Height, 2u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(particle->GetLevelCount(), 3u);
  particle->Release();

  unsigned char* before = packFile.lastData;
  EXPECT_EQ(LoadJpegTexture(nullptr), nullptr);
  EXPECT_EQ(packFile.lastData, before) << "no name extracts nothing";
  ::device = nullptr;
}

}  // namespace
