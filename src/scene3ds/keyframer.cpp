#include "scene3ds/keyframer.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "scene3ds/chunk.h"
#include "scene3ds/fatal_error.h"

namespace {

constexpr WORD kMainChunk = 0x4D4D;
constexpr WORD kEditorChunk = 0x3D3D;
constexpr WORD kKeyframerChunk = 0xB000;
constexpr WORD kSegment = 0xB008;
constexpr WORD kMeshNode = 0xB002;
constexpr WORD kCameraNode = 0xB003;
constexpr WORD kCameraTargetNode = 0xB004;
constexpr WORD kOmniNode = 0xB005;
constexpr WORD kSpotTargetNode = 0xB006;
constexpr WORD kSpotNode = 0xB007;
constexpr WORD kNodeId = 0xB030;
constexpr WORD kNodeHeader = 0xB010;
constexpr WORD kPivot = 0xB013;
constexpr WORD kPositionTrack = 0xB020;
constexpr WORD kRotationTrack = 0xB021;
constexpr WORD kScaleTrack = 0xB022;
constexpr WORD kFovTrack = 0xB023;
constexpr WORD kRollTrack = 0xB024;

// Track chunks: header, flags word, two unread 32-bit values, key count.
constexpr DWORD kKeyCountOffset = 16;
constexpr DWORD kFirstKeyOffset = 20;

constexpr DWORD kVectorValueSize = 12;
constexpr DWORD kScalarValueSize = 4;
constexpr DWORD kRotationValueSize = 16;

Float3 GetPoint(const BYTE* p) { return {GetFloat(p), GetFloat(p + 8), GetFloat(p + 4)}; }

// The frame number, the spline flags and the parameters they announce.
struct KeyHeader {
  float frame = 0.0f;
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

DWORD KeyHeaderSize(const BYTE* p) {
  const WORD flags = GetWord(p + 4);
  DWORD size = 6;
  for (int bit = 0; bit < 5; ++bit)
    if (flags & (1u << bit)) size += 4;
  return size;
}

// Reads the header at p (which must fit) and returns the value's position.
const BYTE* ReadKeyHeader(const BYTE* p, KeyHeader* key) {
  key->frame = static_cast<float>(static_cast<int32_t>(GetDword(p)));
  const WORD flags = GetWord(p + 4);
  const BYTE* at = p + 6;
  if (flags & 0x01) key->tension = GetFloat(at), at += 4;
  if (flags & 0x02) key->continuity = GetFloat(at), at += 4;
  if (flags & 0x04) key->bias = GetFloat(at), at += 4;
  if (flags & 0x08) at += 4;  // ease to
  if (flags & 0x10) at += 4;  // ease from
  return at;
}

// The size of the key at p, or 0 when it does not fit before end.
DWORD KeySize(const BYTE* p, const BYTE* end, DWORD valueSize) {
  if (!Fits(p, end, 6)) return 0;
  const DWORD size = KeyHeaderSize(p) + valueSize;
  return Fits(p, end, size) ? size : 0;
}

// How many of `count` keys lie whole before end.
DWORD CountFittingKeys(DWORD count, const BYTE* first, const BYTE* end, DWORD valueSize) {
  DWORD n = 0;
  for (const BYTE* p = first; n < count; ++n) {
    const DWORD size = KeySize(p, end, valueSize);
    if (size == 0) break;
    p += size;
  }
  return n;
}

// The frame as an integer; out-of-range values give the x87 "integer indefinite".
int FrameAsInteger(float frame) {
  if (!(frame >= -2147483648.0f && frame < 2147483648.0f)) return INT_MIN;
  return static_cast<int>(frame);
}

struct KeyframerReader {
  Scene* scene;
  LoadLog* log;
  SceneCamera* camera = nullptr;
  SpotLight* spot = nullptr;
  SceneObject* object = nullptr;
  WORD nodeId = 0;
};

// The keys of a track chunk whose count is cut to the keys that lie whole
// inside the chunk; `first` receives the first key's position.
DWORD TrackKeyCount(KeyframerReader& r, const Chunk& track, DWORD valueSize, const BYTE** first) {
  if (!Fits(track.start, track.end, kFirstKeyOffset)) {
    LogDamage(r.log);
    return 0;
  }
  const DWORD stored = GetDword(track.start + kKeyCountOffset);
  *first = track.start + kFirstKeyOffset;
  const DWORD count = CountFittingKeys(stored, *first, track.end, valueSize);
  if (count != stored) LogDamage(r.log);
  return count;
}

template <class Key>
void ReplaceTrack(Track<Key>& track, Key* keys, DWORD count) {
  delete[] track.keys;
  track.keys = keys;
  track.keyCount = count;
}

void ReadVectorTrack(KeyframerReader& r, const Chunk& chunk, Track<VectorKey>& track) {
  const BYTE* first = nullptr;
  const DWORD count = TrackKeyCount(r, chunk, kVectorValueSize, &first);
  VectorKey* keys = new VectorKey[count];
  ReadVectorKeys(count, keys, first, chunk.end, r.log);
  ReplaceTrack(track, keys, count);
}

void ReadScalarTrack(KeyframerReader& r, const Chunk& chunk, Track<ScalarKey>& track) {
  const BYTE* first = nullptr;
  const DWORD count = TrackKeyCount(r, chunk, kScalarValueSize, &first);
  ScalarKey* keys = new ScalarKey[count];
  ReadScalarKeys(count, keys, first, chunk.end);
  ReplaceTrack(track, keys, count);
}

void ReadRotationTrack(KeyframerReader& r, const Chunk& chunk, Track<RotationKey>& track) {
  const BYTE* first = nullptr;
  const DWORD count = TrackKeyCount(r, chunk, kRotationValueSize, &first);
  RotationKey* keys = new RotationKey[count];
  ReadRotationKeys(count, keys, first, chunk.end, r.log);
  ReplaceTrack(track, keys, count);
}

// The node's name, from its second sub-chunk (the first is its ID chunk).
bool ReadNodeName(KeyframerReader& r, const Chunk& node, char* name) {
  Chunk header;
  if (NthChunk(node.Data(), node.end, 2, &header) == ChunkStatus::bad ||
      !ReadName(header.Data(), header.end, name)) {
    LogDamage(r.log);
    return false;
  }
  return true;
}

// The node's sub-chunk at `number` must carry `id`; one that does not, or
// is missing, stops the program.
Chunk RequireTrack(const Chunk& node, int number, WORD id) {
  Chunk chunk;
  if (NthChunk(node.Data(), node.end, number, &chunk) == ChunkStatus::bad || chunk.id != id)
    FatalFormatError("Error in 3ds file \n");
  return chunk;
}

template <class Record>
Record* FindByName(Record* head, const char* name) {
  for (Record* record = head; record; record = record->next)
    if (record->name && std::strcmp(record->name, name) == 0) return record;
  return nullptr;
}

void ReadCameraNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Camera tracks..............    \n");
  char name[kTextSize];
  if (!ReadNodeName(r, node, name)) return;
  SceneCamera* camera = FindByName(r.scene->cameras, name);
  if (!camera) {
    // Nothing to attach the tracks to; the node must still be well formed.
    RequireTrack(node, 3, kPositionTrack);
    RequireTrack(node, 4, kFovTrack);
    RequireTrack(node, 5, kRollTrack);
    return;
  }
  r.camera = camera;
  LogPrint(r.log, "Cam Name: %s \n", camera->name);
  ReadVectorTrack(r, RequireTrack(node, 3, kPositionTrack), camera->positionTrack);
  ReadScalarTrack(r, RequireTrack(node, 4, kFovTrack), camera->fovTrack);
  ReadScalarTrack(r, RequireTrack(node, 5, kRollTrack), camera->rollTrack);
  LogPrint(r.log, "\n");
}

void ReadCameraTargetNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Camera target track........    \n");
  const Chunk track = RequireTrack(node, 3, kPositionTrack);
  if (r.camera) ReadVectorTrack(r, track, r.camera->targetTrack);
}

void ReadOmniNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Omni Light track........    \n");
  char name[kTextSize];
  if (!ReadNodeName(r, node, name)) return;
  LogPrint(r.log, "Light name: %s \n", name);
  // Without a third sub-chunk there is no position track at or after it.
  Chunk third;
  if (NthChunk(node.Data(), node.end, 3, &third) == ChunkStatus::bad) FatalFormatError("Error in 3ds file \n");
  OmniLight* light = FindByName(r.scene->omniLights, name);
  if (light) {
    // Whatever vector track stands third is read as well.
    const BYTE* first = nullptr;
    LogPrint(r.log, "Light Chunk ID: %x \n", third.id);
    LogPrint(r.log, " num_keys: %d \n", TrackKeyCount(r, third, kVectorValueSize, &first));
    ReadVectorTrack(r, third, light->firstTrack);
  }
  Chunk position;
  bool found = false;
  WalkChunks(third.start, node.end, [&](const Chunk& chunk) {
    if (chunk.id != kPositionTrack) return true;
    position = chunk;
    found = true;
    return false;
  });
  if (!found) FatalFormatError("Error in 3ds file \n");
  if (!light) return;
  ReadVectorTrack(r, position, light->positionTrack);
  LogPrint(r.log, "\n");
}

void ReadSpotNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Spot Light track........    \n");
  char name[kTextSize];
  if (!ReadNodeName(r, node, name)) return;
  r.spot = FindByName(r.scene->spotLights, name);
  LogPrint(r.log, "Spot Light name: %s \n", name);
  if (!r.spot) return;
  SpotLight* spot = r.spot;
  Chunk chunk;
  if (NthChunk(node.Data(), node.end, 3, &chunk) == ChunkStatus::bad) return LogDamage(r.log);
  ReadVectorTrack(r, chunk, spot->positionTrack);
  if (NthChunk(node.Data(), node.end, 5, &chunk) == ChunkStatus::bad) return LogDamage(r.log);
  LogPrint(r.log, "CHUNK: %x \n", chunk.id);
  ReadScalarTrack(r, chunk, spot->hotspotTrack);
  if (NthChunk(node.Data(), node.end, 6, &chunk) == ChunkStatus::bad) return LogDamage(r.log);
  LogPrint(r.log, "CHUNK: %x \n", chunk.id);
  ReadScalarTrack(r, chunk, spot->falloffTrack);
  for (DWORD i = 0; i < spot->hotspotTrack.keyCount; ++i) {
    const ScalarKey& key = spot->hotspotTrack.keys[i];
    LogPrint(r.log, " FRAME: %d , hotspot: %f \n", FrameAsInteger(key.frame), key.value);
  }
  for (DWORD i = 0; i < spot->falloffTrack.keyCount; ++i) {
    const ScalarKey& key = spot->falloffTrack.keys[i];
    LogPrint(r.log, " FRAME: %d , falloff: %f \n", FrameAsInteger(key.frame), key.value);
  }
}

void ReadSpotTargetNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Spot Light Target track........    \n");
  Chunk track;
  if (NthChunk(node.Data(), node.end, 3, &track) == ChunkStatus::bad) return LogDamage(r.log);
  if (r.spot) ReadVectorTrack(r, track, r.spot->targetTrack);
}

void ReadMeshNodeHeader(KeyframerReader& r, const Chunk& chunk) {
  char name[kTextSize];
  const BYTE* after = ReadName(chunk.Data(), chunk.end, name);
  if (!after) {
    LogDamage(r.log);
    return;
  }
  LogPrint(r.log, "Obj.track name: %s \n", name);
  SceneObject* object = FindByName(r.scene->objects, name);
  if (!object) {
    // A node without geometry of its own (a dummy) still gets a record.
    object = AppendSceneObject(r.scene);
    object->name = NewText(name);
  }
  r.object = object;
  object->nodeId = r.nodeId;
  // Two flags words come between the name and the parent's node ID.
  if (Fits(after, chunk.end, 6)) {
    object->parentId = GetWord(after + 4);
  } else {
    LogDamage(r.log);
  }
  LogPrint(r.log, "Obj. parent ID: %d \n", object->parentId);
}

void ReadMeshNode(KeyframerReader& r, const Chunk& node) {
  LogPrint(r.log, "Read Mesh tracks ..... \n");
  const WalkEnd end = WalkChunks(node.Data(), node.end, [&](const Chunk& chunk) {
    switch (chunk.id) {
      case kNodeId:
        if (Fits(chunk.Data(), chunk.end, 2)) {
          r.nodeId = GetWord(chunk.Data());
          LogPrint(r.log, "Object ID: %d \n", r.nodeId);
        } else {
          LogDamage(r.log);
        }
        break;
      case kNodeHeader:
        ReadMeshNodeHeader(r, chunk);
        break;
      case kPivot:
        if (!r.object) break;
        if (Fits(chunk.Data(), chunk.end, 12)) {
          r.object->pivot = GetPoint(chunk.Data());
          LogPrint(r.log, "Obj. Pivot X: %f Y: %f Z: %f \n", r.object->pivot.x, r.object->pivot.y,
                   r.object->pivot.z);
        } else {
          LogDamage(r.log);
        }
        break;
      case kPositionTrack:
        if (r.object) ReadVectorTrack(r, chunk, r.object->positionTrack);
        break;
      case kRotationTrack:
        if (r.object) ReadRotationTrack(r, chunk, r.object->rotationTrack);
        break;
      case kScaleTrack:
        if (!r.object) break;
        LogPrint(r.log, "Read Scale Track : \n");
        ReadVectorTrack(r, chunk, r.object->scaleTrack);
        break;
      default:
        break;
    }
    return true;
  });
  if (end == WalkEnd::damaged) LogDamage(r.log);
  LogPrint(r.log, "\n");
}

}  // namespace

Quaternion AngleAxisToQuaternion(float x, float y, float z, float angle) {
  const float half = angle * 0.5f;
  const float s = static_cast<float>(std::sin(static_cast<double>(half)));
  const float c = static_cast<float>(std::cos(static_cast<double>(half)));
  return {x * s, y * s, z * s, c};
}

DWORD ReadVectorKeys(DWORD count, VectorKey* keys, const BYTE* first, const BYTE* end, LoadLog* log) {
  const BYTE* p = first;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD size = KeySize(p, end, kVectorValueSize);
    if (size == 0) return i;
    KeyHeader header;
    const BYTE* value = ReadKeyHeader(p, &header);
    const Float3 v = GetPoint(value);
    keys[i] = {header.frame, v.x, v.y, v.z, header.tension, header.continuity, header.bias};
    LogPrint(log, "Frame:  %f  ", keys[i].frame);
    LogPrint(log, " X:  %f     ", keys[i].x);
    LogPrint(log, " Y:  %f     ", keys[i].y);
    LogPrint(log, " Z:  %f  \n ", keys[i].z);
    p += size;
  }
  return count;
}

DWORD ReadScalarKeys(DWORD count, ScalarKey* keys, const BYTE* first, const BYTE* end) {
  const BYTE* p = first;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD size = KeySize(p, end, kScalarValueSize);
    if (size == 0) return i;
    KeyHeader header;
    const BYTE* value = ReadKeyHeader(p, &header);
    keys[i] = {header.frame, GetFloat(value), header.tension, header.continuity, header.bias};
    p += size;
  }
  return count;
}

DWORD ReadRotationKeys(DWORD count, RotationKey* keys, const BYTE* first, const BYTE* end, LoadLog* log) {
  const BYTE* p = first;
  for (DWORD i = 0; i < count; ++i) {
    const DWORD size = KeySize(p, end, kRotationValueSize);
    if (size == 0) return i;
    KeyHeader header;
    const BYTE* value = ReadKeyHeader(p, &header);
    const float angle = GetFloat(value);
    const Float3 axis = GetPoint(value + 4);
    // Each key is turned into a quaternion on its own, not combined with
    // the keys before it.
    const Quaternion q = AngleAxisToQuaternion(axis.x, axis.y, axis.z, angle);
    keys[i] = {header.frame, q.x, q.y, q.z, q.w, header.tension, header.continuity, header.bias};
    LogPrint(log, "\n");
    for (int line = 0; line < 2; ++line)
      LogPrint(log, " FRAME: %f , W: %f , X: %f  Y: %f  Z: %f \n", keys[i].frame, keys[i].w, keys[i].x, keys[i].y,
               keys[i].z);
    p += size;
  }
  return count;
}

void ReadKeyframer(const BYTE* image, DWORD imageSize, Scene* scene, LoadLog* log) {
  KeyframerReader r{scene, log};
  const BYTE* imageEnd = image + imageSize;
  Chunk main;
  if (ReadChunk(image, imageEnd, &main) == ChunkStatus::bad || main.id != kMainChunk) return;
  Chunk first;
  if (ReadChunk(main.Data(), main.end, &first) != ChunkStatus::bad && first.id == kEditorChunk)
    FatalFormatError("Error in 3ds file !?!?! ");

  Chunk keyframer;
  bool found = false;
  const WalkEnd search = WalkChunks(main.Data(), main.end, [&](const Chunk& chunk) {
    if (chunk.id != kKeyframerChunk) return true;
    keyframer = chunk;
    found = true;
    return false;
  });
  if (!found) {
    // No keyframer section: no tracks. Damage on the way was noted already
    // unless it is first seen here.
    if (search == WalkEnd::damaged) LogDamage(log);
    return;
  }
  if (IsCut(keyframer)) LogDamage(log);

  // The segment comes before any node; what precedes it is not read.
  const BYTE* at = keyframer.Data();
  for (;;) {
    if (at == keyframer.end) return;
    Chunk chunk;
    const ChunkStatus status = ReadChunk(at, keyframer.end, &chunk);
    if (status == ChunkStatus::bad) return LogDamage(log);
    if (chunk.id == kSegment) {
      if (status == ChunkStatus::cut || !Fits(chunk.Data(), chunk.end, 8)) LogDamage(log);
      if (!Fits(chunk.Data(), chunk.end, 8)) return;
      scene->firstFrame = GetDword(chunk.Data());
      scene->lastFrame = GetDword(chunk.Data() + 4);
      // The segment chunk is 14 bytes long.
      at = chunk.start + 14;
      break;
    }
    if (status == ChunkStatus::cut) return LogDamage(log);
    at = chunk.end;
  }

  const WalkEnd end = WalkChunks(at, keyframer.end, [&](const Chunk& node) {
    switch (node.id) {
      case kMeshNode: ReadMeshNode(r, node); break;
      case kCameraNode: ReadCameraNode(r, node); break;
      case kCameraTargetNode: ReadCameraTargetNode(r, node); break;
      case kOmniNode: ReadOmniNode(r, node); break;
      case kSpotTargetNode: ReadSpotTargetNode(r, node); break;
      case kSpotNode: ReadSpotNode(r, node); break;
      default: break;
    }
    LogPrint(log, "==================>>>> %x \n", node.id);
    return true;
  });
  if (end == WalkEnd::damaged) LogDamage(log);
}
