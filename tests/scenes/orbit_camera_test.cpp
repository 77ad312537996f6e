#include <cmath>

#include "device_fixture.h"
#include "scenes/orbit_camera.h"

namespace {

// Row vector (x, y, z, 1) times m.
D3DXVECTOR4 Transform(const D3DXVECTOR3& p, const D3DXMATRIX& m) {
  D3DXVECTOR4 r;
  r.x = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
  r.y = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
  r.z = p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43;
  r.w = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
  return r;
}

TEST(OrbitCamera, EyesOnTheOrbit) {
  const struct {
    const char* what;
    OrbitCamera orbit;
    float t;
    D3DXVECTOR3 eye;
  } cases[] = {
      {"room at 0", kRoomOrbit, 0.0f, {390, 120, 0}},
      {"fur at 0", kFurOrbit, 0.0f, {146, 165, 0}},
      {"room at 100 pi", kRoomOrbit, static_cast<float>(100 * M_PI), {0, 200, 320}},
  };
  for (const auto& c : cases) {
    D3DXVECTOR3 eye;
    D3DXMATRIX view, projection;
    PlaceCamera(c.orbit, c.t, 640, 480, &eye, &view, &projection);
    EXPECT_NEAR(eye.x, c.eye.x, 0.01) << c.what;
    EXPECT_NEAR(eye.y, c.eye.y, 0.01) << c.what;
    EXPECT_NEAR(eye.z, c.eye.z, 0.01) << c.what;
    // Looking at the origin: it lies straight ahead at the eye's distance.
    const D3DXVECTOR4 origin = Transform({0, 0, 0}, view);
    const float distance = std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z);
    EXPECT_NEAR(origin.x, 0.0f, 1e-3) << c.what;
    EXPECT_NEAR(origin.y, 0.0f, 1e-3) << c.what;
    EXPECT_NEAR(origin.z, distance, 1e-2) << c.what;
    // +y stays up: a point above the origin is above the centre of view.
    EXPECT_GT(Transform({0, 10, 0}, view).y, 0.0f) << c.what;
  }
}

TEST(OrbitCamera, AspectFromBothScreenSides) {
  EXPECT_EQ(ScreenAspect(640, 480), 4.0f / 3.0f);
  EXPECT_EQ(ScreenAspect(1024, 768), 4.0f / 3.0f);
  EXPECT_EQ(ScreenAspect(1280, 1024), 1.25f);
  D3DXVECTOR3 eye;
  D3DXMATRIX view, projection, expected;
  PlaceCamera(kRoomOrbit, 5.0f, 1280, 1024, &eye, &view, &projection);
  D3DXMatrixPerspectiveFovLH(&expected, 1.7453294f, 1.25f, 1.0f, 2000.0f);
  EXPECT_TRUE(projection == expected);
}

class ViewProjectionTest : public d3d8test::DeviceTest {};

TEST_F(ViewProjectionTest, RegistersHoldTheTransposedProduct) {
  D3DXVECTOR3 eye;
  D3DXMATRIX view, projection;
  PlaceCamera(kFurOrbit, 123.0f, 1024, 768, &eye, &view, &projection);
  UploadViewProjection(device, view, projection);
  float rows[16];
  ASSERT_EQ(device->GetVertexShaderConstant(14, rows, 4), D3D_OK);
  const D3DXVECTOR3 point(10, -20, 30);
  const D3DXVECTOR4 viewed = Transform(point, view);
  const D3DXVECTOR3 inView(viewed.x, viewed.y, viewed.z);
  const D3DXVECTOR4 clip = Transform(inView, projection);
  const float expected[4] = {clip.x, clip.y, clip.z, clip.w};
  for (int r = 0; r < 4; ++r) {
    const float dot = rows[4 * r] * point.x + rows[4 * r + 1] * point.y + rows[4 * r + 2] * point.z + rows[4 * r + 3];
    EXPECT_NEAR(dot, expected[r], 1e-3 * (1 + std::fabs(expected[r]))) << "c" << 14 + r;
  }
}

}  // namespace
