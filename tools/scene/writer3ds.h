// Writes 3DS files: editor objects (meshes, lights, cameras, materials) and
// keyframer nodes with their tracks. Used by tests to build fixtures in a few
// lines and by content tools to write the demo's meshes.
//
// Coordinates are given in the file's own axis order (the reader exchanges
// y and z). The writer also gives raw access (Begin / End and the value
// writers) for chunks the helpers do not cover, including malformed ones.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace writer3ds {

using Vec3 = std::array<float, 3>;

// Chunk IDs the helpers write.
enum : uint16_t {
  kMain = 0x4D4D,
  kVersion = 0x0002,
  kEditor = 0x3D3D,
  kMeshVersion = 0x3D3E,
  kObject = 0x4000,
  kTriMesh = 0x4100,
  kVertexList = 0x4110,
  kFaceList = 0x4120,
  kFaceMaterial = 0x4130,
  kMapping = 0x4140,
  kLocalAxes = 0x4160,
  kLight = 0x4600,
  kSpot = 0x4610,
  kCamera = 0x4700,
  kColourFloat = 0x0010,
  kColour24 = 0x0011,
  kPercentInt = 0x0030,
  kMaterial = 0xAFFF,
  kMaterialName = 0xA000,
  kAmbient = 0xA010,
  kDiffuse = 0xA020,
  kSpecular = 0xA030,
  kShininess = 0xA040,
  kShininessStrength = 0xA041,
  kTransparency = 0xA050,
  kWire = 0xA085,
  kTextureMap = 0xA200,
  kOpacityMap = 0xA210,
  kMapName = 0xA300,
  kKeyframer = 0xB000,
  kMeshNode = 0xB002,
  kCameraNode = 0xB003,
  kCameraTargetNode = 0xB004,
  kOmniNode = 0xB005,
  kSpotTargetNode = 0xB006,
  kSpotNode = 0xB007,
  kSegment = 0xB008,
  kCurrentFrame = 0xB009,
  kKeyframerHeader = 0xB00A,
  kNodeHeader = 0xB010,
  kPivot = 0xB013,
  kPositionTrack = 0xB020,
  kRotationTrack = 0xB021,
  kScaleTrack = 0xB022,
  kFovTrack = 0xB023,
  kRollTrack = 0xB024,
  kColourTrack = 0xB025,
  kHotspotTrack = 0xB027,
  kFalloffTrack = 0xB028,
  kNodeId = 0xB030,
};

// Key flags: which spline parameters follow the frame number.
enum : uint16_t {
  kTension = 0x01,
  kContinuity = 0x02,
  kBias = 0x04,
  kEaseTo = 0x08,
  kEaseFrom = 0x10,
};

struct KeyHeader {
  int32_t frame = 0;
  uint16_t flags = 0;
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f, easeTo = 0.0f, easeFrom = 0.0f;
};

struct VectorKey {
  KeyHeader key;
  Vec3 value = {0.0f, 0.0f, 0.0f};
};

struct ScalarKey {
  KeyHeader key;
  float value = 0.0f;
};

struct RotationKey {
  KeyHeader key;
  float angle = 0.0f;  // radians
  Vec3 axis = {0.0f, 0.0f, 1.0f};
};

struct MaterialGroup {
  std::string material;
  std::vector<uint16_t> faces;
};

struct Mesh {
  std::string name;
  std::vector<Vec3> vertices;
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<MaterialGroup> groups;             // written right after the faces
  std::vector<std::array<float, 2>> mapping;     // none: no mapping chunk
  std::optional<std::array<Vec3, 4>> localAxes;  // first, second, third axis, origin
};

struct OmniLight {
  std::string name;
  Vec3 position = {0.0f, 0.0f, 0.0f};
  Vec3 colour = {1.0f, 1.0f, 1.0f};
};

struct SpotLight {
  std::string name;
  Vec3 position = {0.0f, 0.0f, 0.0f};
  Vec3 colour = {1.0f, 1.0f, 1.0f};
  Vec3 target = {0.0f, 0.0f, 0.0f};
  float hotspot = 30.0f;
  float falloff = 45.0f;
};

struct Camera {
  std::string name;
  Vec3 position = {0.0f, 0.0f, 0.0f};
  Vec3 target = {0.0f, 0.0f, 0.0f};
  float bank = 0.0f;
  float lens = 50.0f;
};

struct MapDesc {
  std::string fileName;
  uint16_t percent = 100;
};

struct Material {
  std::string name;
  std::optional<std::array<uint8_t, 3>> ambient, diffuse, specular;
  std::optional<uint16_t> shininess, shininessStrength, transparency;
  bool wire = false;
  std::optional<MapDesc> textureMap, opacityMap;
};

// The name, flags and parent every node carries, and its optional ID chunk.
struct NodeHeader {
  std::optional<uint16_t> nodeId;
  std::string name;
  uint16_t flags1 = 0, flags2 = 0;
  uint16_t parent = 0xFFFF;
};

struct MeshNode {
  NodeHeader header;
  std::optional<Vec3> pivot;
  std::optional<std::vector<VectorKey>> position, scale;
  std::optional<std::vector<RotationKey>> rotation;
};

struct CameraNode {
  NodeHeader header;
  std::vector<VectorKey> position;
  std::vector<ScalarKey> fov, roll;
};

// Camera target and spot light target nodes.
struct TargetNode {
  NodeHeader header;
  std::vector<VectorKey> position;
};

struct OmniNode {
  NodeHeader header;
  std::optional<std::vector<VectorKey>> colour;  // written before the position track
  std::vector<VectorKey> position;
};

struct SpotNode {
  NodeHeader header;
  std::vector<VectorKey> position, colour;
  std::vector<ScalarKey> hotspot, falloff;
};

class Writer {
 public:
  // Raw chunk access: Begin writes the header with a length that End fills in.
  void Begin(uint16_t id);
  void End();
  void Byte(uint8_t value);
  void Word(uint16_t value);
  void Dword(uint32_t value);
  void Float(float value);
  void Point(const Vec3& v);
  void Text(const std::string& text);  // with its terminating NUL
  void Raw(const std::vector<uint8_t>& bytes);
  // A chunk with raw data and no sub-chunks.
  void Chunk(uint16_t id, const std::vector<uint8_t>& data = {});

  // Main chunk and its version chunk; editor section with its version chunk.
  void BeginFile(uint32_t version = 3);
  void BeginEditor();

  void WriteMesh(const Mesh& mesh);
  void WriteOmniLight(const OmniLight& light);
  void WriteSpotLight(const SpotLight& light);
  void WriteCamera(const Camera& camera);
  void WriteMaterial(const Material& material);

  void BeginKeyframer();
  void KeyframerHeader(const std::string& name = "MAXSCENE", uint32_t length = 100);
  void Segment(uint32_t firstFrame, uint32_t lastFrame);
  void CurrentFrame(uint32_t frame);
  void WriteNodeId(uint16_t id);
  void WriteNodeHeader(const NodeHeader& header);  // ID chunk (when set) and header chunk
  void WriteVectorTrack(uint16_t id, const std::vector<VectorKey>& keys);
  void WriteScalarTrack(uint16_t id, const std::vector<ScalarKey>& keys);
  void WriteRotationTrack(uint16_t id, const std::vector<RotationKey>& keys);
  void WriteMeshNode(const MeshNode& node);
  void WriteCameraNode(const CameraNode& node);
  void WriteCameraTargetNode(const TargetNode& node);
  void WriteOmniNode(const OmniNode& node);
  void WriteSpotNode(const SpotNode& node);
  void WriteSpotTargetNode(const TargetNode& node);

  // Closes every open chunk and returns the file.
  std::vector<uint8_t> Finish();
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  void WriteKeyHeader(const KeyHeader& key);
  void WriteTrackHeader(uint16_t id, uint32_t keyCount);
  void WriteColourChunk(uint16_t id, const std::array<uint8_t, 3>& rgb);
  void WritePercentChunk(uint16_t id, uint16_t percent);
  void WriteMap(uint16_t id, const MapDesc& map);

  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

// A complete file with one textured mesh, its material and a keyframer node
// that sets its pivot: the shape of the demo's own scene files.
std::vector<uint8_t> WriteMeshFile(const Mesh& mesh, const std::optional<Material>& material = std::nullopt,
                                   const Vec3& pivot = {0.0f, 0.0f, 0.0f});

// Writes bytes to a file; false when it cannot be written.
bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace writer3ds
