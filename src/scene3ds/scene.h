// The records of a loaded 3DS scene: plain data in linked lists, file order.
#pragma once

#include <windows.h>

#include "scene3ds/tracks.h"

struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;

// Names are owned, NUL-terminated 15-byte buffers: at most 14 characters.
constexpr int kTextSize = 15;

struct Float3 {
  float x, y, z;
};

struct TexCoord {
  float u, v;
};

struct Face {
  WORD a, b, c;
};
static_assert(sizeof(Face) == 6, "faces are copied verbatim into 16-bit index buffers");

struct SceneObject {
  char* name = nullptr;
  WORD nodeId = 0;
  WORD parentId = 0;
  INT isEmitter = 0;
  DWORD vertexCount = 0;
  DWORD faceCount = 0;
  Float3* positions = nullptr;
  Float3* normals = nullptr;
  TexCoord* texCoords = nullptr;
  Face* faces = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  Float3 pivot = {0.0f, 0.0f, 0.0f};
  Track<VectorKey> positionTrack;
  Track<VectorKey> scaleTrack;
  Track<RotationKey> rotationTrack;
  char* materialName = nullptr;
  SceneObject* next = nullptr;
  SceneObject* prev = nullptr;
};

struct Material {
  char* name = nullptr;
  char* textureMap = nullptr;
  char* opacityMap = nullptr;
  float ambient[3] = {0.0f, 0.0f, 0.0f};
  float diffuse[3] = {0.0f, 0.0f, 0.0f};
  float specular[3] = {0.0f, 0.0f, 0.0f};
  float shininess = 0.0f;
  float shininessStrength = 0.0f;
  INT isWire = 0;
  INT hasOpacityMap = 0;
  INT isTransparent = 0;
  // A material without a transparency chunk is opaque.
  float opacity = 1.0f;
  Material* next = nullptr;
};

struct OmniLight {
  char* name = nullptr;
  WORD nodeId = 0;
  Float3 position = {0.0f, 0.0f, 0.0f};
  float colour[3] = {0.0f, 0.0f, 0.0f};
  OmniLight* next = nullptr;
  OmniLight* prev = nullptr;
  INT isFlare = 0;
  Track<VectorKey> positionTrack;
  Track<VectorKey> firstTrack;
};

struct SpotLight {
  char* name = nullptr;
  WORD nodeId = 0;
  Float3 position = {0.0f, 0.0f, 0.0f};
  Float3 target = {0.0f, 0.0f, 0.0f};
  float hotspot = 0.0f;
  float falloff = 0.0f;
  float colour[3] = {0.0f, 0.0f, 0.0f};
  Track<VectorKey> positionTrack;
  Track<VectorKey> targetTrack;
  Track<ScalarKey> hotspotTrack;
  Track<ScalarKey> falloffTrack;
  SpotLight* next = nullptr;
  SpotLight* prev = nullptr;
};

struct SceneCamera {
  char* name = nullptr;
  WORD nodeId = 0;
  Float3 position = {0.0f, 0.0f, 0.0f};
  Float3 target = {0.0f, 0.0f, 0.0f};
  float bank = 0.0f;
  float lens = 0.0f;
  Track<VectorKey> positionTrack;
  Track<VectorKey> targetTrack;
  Track<ScalarKey> rollTrack;
  Track<ScalarKey> fovTrack;
  SceneCamera* next = nullptr;
  SceneCamera* prev = nullptr;
};

struct Scene {
  WORD objectCount = 0;
  WORD omniLightCount = 0;
  WORD cameraCount = 0;
  DWORD firstFrame = 0;
  DWORD lastFrame = 0;
  INT emitterCount = 0;
  SceneObject* objects = nullptr;
  Material* materials = nullptr;
  OmniLight* omniLights = nullptr;
  SpotLight* spotLights = nullptr;
  SceneCamera* cameras = nullptr;
};

Scene* CreateScene();

// Each creates a record with its initial values and appends it at the end of
// the Scene's list of that kind.
SceneObject* AppendSceneObject(Scene* scene);
Material* AppendMaterial(Scene* scene);
OmniLight* AppendOmniLight(Scene* scene);
SpotLight* AppendSpotLight(Scene* scene);
SceneCamera* AppendSceneCamera(Scene* scene);

// A new zeroed text holding at most 14 characters of `source`.
char* NewText(const char* source);

// The demo keeps its Scenes for the whole run; tools and tests that read many
// files give them back with this. Device buffers are not released here.
void ReleaseScene(Scene* scene);
