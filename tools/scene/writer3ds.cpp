#include "writer3ds.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace writer3ds {

void Writer::Begin(uint16_t id) {
  open_.push_back(bytes_.size());
  Word(id);
  Dword(0);
}

void Writer::End() {
  if (open_.empty()) throw std::logic_error("End without Begin");
  const size_t start = open_.back();
  open_.pop_back();
  const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
  for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
}

void Writer::Byte(uint8_t value) { bytes_.push_back(value); }

void Writer::Word(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value));
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
}

void Writer::Dword(uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Writer::Float(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  Dword(bits);
}

void Writer::Point(const Vec3& v) {
  for (float f : v) Float(f);
}

void Writer::Text(const std::string& text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
}

void Writer::Raw(const std::vector<uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

void Writer::Chunk(uint16_t id, const std::vector<uint8_t>& data) {
  Begin(id);
  Raw(data);
  End();
}

void Writer::BeginFile(uint32_t version) {
  Begin(kMain);
  Begin(kVersion);
  Dword(version);
  End();
}

void Writer::BeginEditor() {
  Begin(kEditor);
  Begin(kMeshVersion);
  Dword(3);
  End();
}

void Writer::WriteMesh(const Mesh& mesh) {
  Begin(kObject);
  Text(mesh.name);
  Begin(kTriMesh);
  Begin(kVertexList);
  Word(static_cast<uint16_t>(mesh.vertices.size()));
  for (const Vec3& v : mesh.vertices) Point(v);
  End();
  if (!mesh.mapping.empty()) {
    Begin(kMapping);
    Word(static_cast<uint16_t>(mesh.mapping.size()));
    for (const auto& uv : mesh.mapping) {
      Float(uv[0]);
      Float(uv[1]);
    }
    End();
  }
  if (mesh.localAxes) {
    Begin(kLocalAxes);
    for (const Vec3& v : *mesh.localAxes) Point(v);
    End();
  }
  Begin(kFaceList);
  Word(static_cast<uint16_t>(mesh.faces.size()));
  for (const auto& f : mesh.faces) {
    Word(f[0]);
    Word(f[1]);
    Word(f[2]);
    Word(0x0007);  // all three edges visible
  }
  for (const MaterialGroup& group : mesh.groups) {
    Begin(kFaceMaterial);
    Text(group.material);
    Word(static_cast<uint16_t>(group.faces.size()));
    for (uint16_t face : group.faces) Word(face);
    End();
  }
  End();
  End();
  End();
}

void Writer::WriteOmniLight(const OmniLight& light) {
  Begin(kObject);
  Text(light.name);
  Begin(kLight);
  Point(light.position);
  Begin(kColourFloat);
  Point(light.colour);
  End();
  // Range and multiplier chunks as exporters write them; not a fifth one.
  for (uint16_t id : {uint16_t{0x465A}, uint16_t{0x4659}, uint16_t{0x465B}}) {
    Begin(id);
    Float(id == 0x465B ? 1.0f : 1000.0f);
    End();
  }
  End();
  End();
}

void Writer::WriteSpotLight(const SpotLight& light) {
  Begin(kObject);
  Text(light.name);
  Begin(kLight);
  Point(light.position);
  Begin(kColourFloat);
  Point(light.colour);
  End();
  for (uint16_t id : {uint16_t{0x465A}, uint16_t{0x4659}, uint16_t{0x465B}}) {
    Begin(id);
    Float(id == 0x465B ? 1.0f : 1000.0f);
    End();
  }
  Begin(kSpot);
  Point(light.target);
  Float(light.hotspot);
  Float(light.falloff);
  End();
  End();
  End();
}

void Writer::WriteCamera(const Camera& camera) {
  Begin(kObject);
  Text(camera.name);
  Begin(kCamera);
  Point(camera.position);
  Point(camera.target);
  Float(camera.bank);
  Float(camera.lens);
  End();
  End();
}

void Writer::WriteColourChunk(uint16_t id, const std::array<uint8_t, 3>& rgb) {
  Begin(id);
  Begin(kColour24);
  for (uint8_t c : rgb) Byte(c);
  End();
  End();
}

void Writer::WritePercentChunk(uint16_t id, uint16_t percent) {
  Begin(id);
  Begin(kPercentInt);
  Word(percent);
  End();
  End();
}

void Writer::WriteMap(uint16_t id, const MapDesc& map) {
  Begin(id);
  Begin(kPercentInt);
  Word(map.percent);
  End();
  Begin(kMapName);
  Text(map.fileName);
  End();
  End();
}

void Writer::WriteMaterial(const Material& material) {
  Begin(kMaterial);
  Begin(kMaterialName);
  Text(material.name);
  End();
  if (material.ambient) WriteColourChunk(kAmbient, *material.ambient);
  if (material.diffuse) WriteColourChunk(kDiffuse, *material.diffuse);
  if (material.specular) WriteColourChunk(kSpecular, *material.specular);
  if (material.shininess) WritePercentChunk(kShininess, *material.shininess);
  if (material.shininessStrength) WritePercentChunk(kShininessStrength, *material.shininessStrength);
  if (material.transparency) WritePercentChunk(kTransparency, *material.transparency);
  if (material.wire) Chunk(kWire);
  if (material.textureMap) WriteMap(kTextureMap, *material.textureMap);
  if (material.opacityMap) WriteMap(kOpacityMap, *material.opacityMap);
  End();
}

void Writer::BeginKeyframer() { Begin(kKeyframer); }

void Writer::KeyframerHeader(const std::string& name, uint32_t length) {
  Begin(kKeyframerHeader);
  Word(5);
  Text(name);
  Dword(length);
  End();
}

void Writer::Segment(uint32_t firstFrame, uint32_t lastFrame) {
  Begin(kSegment);
  Dword(firstFrame);
  Dword(lastFrame);
  End();
}

void Writer::CurrentFrame(uint32_t frame) {
  Begin(kCurrentFrame);
  Dword(frame);
  End();
}

void Writer::WriteNodeId(uint16_t id) {
  Begin(kNodeId);
  Word(id);
  End();
}

void Writer::WriteNodeHeader(const NodeHeader& header) {
  if (header.nodeId) WriteNodeId(*header.nodeId);
  Begin(kNodeHeader);
  Text(header.name);
  Word(header.flags1);
  Word(header.flags2);
  Word(header.parent);
  End();
}

void Writer::WriteKeyHeader(const KeyHeader& key) {
  Dword(static_cast<uint32_t>(key.frame));
  Word(key.flags);
  if (key.flags & kTension) Float(key.tension);
  if (key.flags & kContinuity) Float(key.continuity);
  if (key.flags & kBias) Float(key.bias);
  if (key.flags & kEaseTo) Float(key.easeTo);
  if (key.flags & kEaseFrom) Float(key.easeFrom);
}

void Writer::WriteTrackHeader(uint16_t id, uint32_t keyCount) {
  Begin(id);
  Word(0);  // track flags
  Dword(0);
  Dword(0);
  Dword(keyCount);
}

void Writer::WriteVectorTrack(uint16_t id, const std::vector<VectorKey>& keys) {
  WriteTrackHeader(id, static_cast<uint32_t>(keys.size()));
  for (const VectorKey& k : keys) {
    WriteKeyHeader(k.key);
    Point(k.value);
  }
  End();
}

void Writer::WriteScalarTrack(uint16_t id, const std::vector<ScalarKey>& keys) {
  WriteTrackHeader(id, static_cast<uint32_t>(keys.size()));
  for (const ScalarKey& k : keys) {
    WriteKeyHeader(k.key);
    Float(k.value);
  }
  End();
}

void Writer::WriteRotationTrack(uint16_t id, const std::vector<RotationKey>& keys) {
  WriteTrackHeader(id, static_cast<uint32_t>(keys.size()));
  for (const RotationKey& k : keys) {
    WriteKeyHeader(k.key);
    Float(k.angle);
    Point(k.axis);
  }
  End();
}

void Writer::WriteMeshNode(const MeshNode& node) {
  Begin(kMeshNode);
  WriteNodeHeader(node.header);
  if (node.pivot) {
    Begin(kPivot);
    Point(*node.pivot);
    End();
  }
  if (node.position) WriteVectorTrack(kPositionTrack, *node.position);
  if (node.rotation) WriteRotationTrack(kRotationTrack, *node.rotation);
  if (node.scale) WriteVectorTrack(kScaleTrack, *node.scale);
  End();
}

void Writer::WriteCameraNode(const CameraNode& node) {
  Begin(kCameraNode);
  WriteNodeHeader(node.header);
  WriteVectorTrack(kPositionTrack, node.position);
  WriteScalarTrack(kFovTrack, node.fov);
  WriteScalarTrack(kRollTrack, node.roll);
  End();
}

void Writer::WriteCameraTargetNode(const TargetNode& node) {
  Begin(kCameraTargetNode);
  WriteNodeHeader(node.header);
  WriteVectorTrack(kPositionTrack, node.position);
  End();
}

void Writer::WriteOmniNode(const OmniNode& node) {
  Begin(kOmniNode);
  WriteNodeHeader(node.header);
  if (node.colour) WriteVectorTrack(kColourTrack, *node.colour);
  WriteVectorTrack(kPositionTrack, node.position);
  End();
}

void Writer::WriteSpotNode(const SpotNode& node) {
  Begin(kSpotNode);
  WriteNodeHeader(node.header);
  WriteVectorTrack(kPositionTrack, node.position);
  WriteVectorTrack(kColourTrack, node.colour);
  WriteScalarTrack(kHotspotTrack, node.hotspot);
  WriteScalarTrack(kFalloffTrack, node.falloff);
  End();
}

void Writer::WriteSpotTargetNode(const TargetNode& node) {
  Begin(kSpotTargetNode);
  WriteNodeHeader(node.header);
  WriteVectorTrack(kPositionTrack, node.position);
  End();
}

std::vector<uint8_t> Writer::Finish() {
  while (!open_.empty()) End();
  return bytes_;
}

std::vector<uint8_t> WriteMeshFile(const Mesh& mesh, const std::optional<Material>& material, const Vec3& pivot) {
  Writer w;
  w.BeginFile();
  w.BeginEditor();
  if (material) w.WriteMaterial(*material);
  w.WriteMesh(mesh);
  w.End();
  w.BeginKeyframer();
  w.KeyframerHeader();
  w.Segment(0, 100);
  w.CurrentFrame(0);
  MeshNode node;
  node.header = {0, mesh.name, 0x4000, 0, 0xFFFF};
  node.pivot = pivot;
  node.position = std::vector<VectorKey>{VectorKey{}};
  node.rotation = std::vector<RotationKey>{RotationKey{}};
  node.scale = std::vector<VectorKey>{VectorKey{{}, {1.0f, 1.0f, 1.0f}}};
  w.WriteMeshNode(node);
  return w.Finish();
}

bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace writer3ds
