#include "scene3ds/editor_reader.h"

#include <cstring>
#include <string>

#include "scene3ds/chunk.h"
#include "scene3ds/fatal_error.h"

namespace {

constexpr WORD kMainChunk = 0x4D4D;
constexpr WORD kEditorChunk = 0x3D3D;
constexpr WORD kObjectChunk = 0x4000;
constexpr WORD kMaterialChunk = 0xAFFF;
constexpr WORD kMeshChunk = 0x4100;
constexpr WORD kVertexList = 0x4110;
constexpr WORD kFaceList = 0x4120;
constexpr WORD kFaceMaterial = 0x4130;
constexpr WORD kMappingCoords = 0x4140;
constexpr WORD kLocalAxes = 0x4160;
constexpr WORD kLightChunk = 0x4600;
constexpr WORD kLightColour = 0x0010;
constexpr WORD kSpotLight = 0x4610;
constexpr WORD kCameraChunk = 0x4700;
constexpr WORD kMaterialName = 0xA000;
constexpr WORD kAmbient = 0xA010;
constexpr WORD kDiffuse = 0xA020;
constexpr WORD kSpecular = 0xA030;
constexpr WORD kShininess = 0xA040;
constexpr WORD kShininessStrength = 0xA041;
constexpr WORD kTransparency = 0xA050;
constexpr WORD kWireFrame = 0xA085;
constexpr WORD kTextureMap = 0xA200;
constexpr WORD kOpacityMap = 0xA210;

// Colour bytes scale by this single-precision constant rather than by a division.
constexpr float kByteToUnit = 0.003921569f;

// The file's y and z change places.
Float3 GetPoint(const BYTE* p) { return {GetFloat(p), GetFloat(p + 8), GetFloat(p + 4)}; }

struct EditorReader {
  Scene* scene;
  LoadLog* log;
  WORD nodeCounter = 0;
};

void ReadVertexList(EditorReader& r, SceneObject* object, const Chunk& chunk) {
  const BYTE* data = chunk.Data();
  if (!Fits(data, chunk.end, 2)) {
    LogDamage(r.log);
    return;
  }
  DWORD count = GetWord(data);
  const DWORD fitting = static_cast<DWORD>(chunk.end - data - 2) / 12;
  if (count > fitting) {
    LogDamage(r.log);
    count = fitting;
  }
  delete[] object->positions;
  delete[] object->normals;
  delete[] object->texCoords;
  object->vertexCount = count;
  object->positions = new Float3[count];
  object->normals = new Float3[count]();
  object->texCoords = new TexCoord[count];
  for (DWORD i = 0; i < count; ++i) {
    const Float3 p = GetPoint(data + 2 + 12 * i);
    object->positions[i] = p;
    // Without a mapping chunk the texture coordinates are the file's x and z.
    object->texCoords[i] = {p.x, p.y};
  }
}

void ReadFaceList(EditorReader& r, SceneObject* object, const Chunk& chunk) {
  const BYTE* data = chunk.Data();
  if (!Fits(data, chunk.end, 2)) {
    LogDamage(r.log);
    return;
  }
  DWORD count = GetWord(data);
  const DWORD fitting = static_cast<DWORD>(chunk.end - data - 2) / 8;
  if (count > fitting) {
    LogDamage(r.log);
    count = fitting;
  }
  delete[] object->faces;
  object->faceCount = count;
  object->faces = new Face[count];
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* record = data + 2 + 8 * i;
    object->faces[i] = {GetWord(record), GetWord(record + 2), GetWord(record + 4)};
  }
  // Only the first material group is kept, and only when it directly
  // follows the face records.
  Chunk group;
  if (ReadChunk(data + 2 + 8 * count, chunk.end, &group) == ChunkStatus::bad) return;
  if (group.id != kFaceMaterial) return;
  char name[kTextSize];
  if (!ReadName(group.Data(), group.end, name)) LogDamage(r.log);
  delete[] object->materialName;
  object->materialName = NewText(name);
  LogPrint(r.log, " Name mat: %s \n", object->materialName);
}

void ReadMappingCoords(EditorReader& r, SceneObject* object, const Chunk& chunk) {
  const BYTE* data = chunk.Data();
  DWORD count = object->vertexCount;
  const DWORD fitting = Fits(data, chunk.end, 2) ? static_cast<DWORD>(chunk.end - data - 2) / 8 : 0;
  if (count > fitting) {
    LogDamage(r.log);
    count = fitting;
  }
  for (DWORD i = 0; i < count; ++i)
    object->texCoords[i] = {GetFloat(data + 2 + 8 * i), GetFloat(data + 6 + 8 * i)};
}

void ReadLocalAxes(EditorReader& r, SceneObject* object, const Chunk& chunk) {
  const BYTE* data = chunk.Data();
  if (!Fits(data, chunk.end, 48)) {
    LogDamage(r.log);
    return;
  }
  // The file's 3 x 3 axis matrix with rows 1 and 2 and columns 1 and 2
  // exchanged: its first, third and second vector, each as (x, z, y).
  float m[4][4] = {};
  const Float3 axes[3] = {GetPoint(data), GetPoint(data + 24), GetPoint(data + 12)};
  for (int row = 0; row < 3; ++row) {
    m[row][0] = axes[row].x;
    m[row][1] = axes[row].y;
    m[row][2] = axes[row].z;
  }
  m[3][3] = 1.0f;
  const Float3 origin = GetPoint(data + 36);
  for (int row = 0; row < 4; ++row) {
    LogPrint(r.log, " x: %f    ", m[row][0]);
    LogPrint(r.log, " y: %f    ", m[row][1]);
    LogPrint(r.log, " z: %f    ", m[row][2]);
    LogPrint(r.log, " w: %f  \n", m[row][3]);
  }
  LogPrint(r.log, "  x: %f    ", origin.x);
  LogPrint(r.log, "  y: %f    ", origin.y);
  LogPrint(r.log, "  z: %f  \n", origin.z);

  // Each column divided by its squared length: the inverse for orthogonal
  // axes of one length.
  float inverse[3][3];
  for (int column = 0; column < 3; ++column) {
    const float lengthSquared =
        m[0][column] * m[0][column] + m[1][column] * m[1][column] + m[2][column] * m[2][column];
    for (int row = 0; row < 3; ++row) inverse[row][column] = m[row][column] / lengthSquared;
  }
  for (DWORD i = 0; i < object->vertexCount; ++i) {
    Float3& p = object->positions[i];
    const float d[3] = {p.x - origin.x, p.y - origin.y, p.z - origin.z};
    float out[3];
    for (int row = 0; row < 3; ++row)
      out[row] = inverse[row][0] * d[0] + inverse[row][1] * d[1] + inverse[row][2] * d[2];
    p = {out[0], out[1], out[2]};
  }
}

// Faces whose corners are not all below the vertex count are dropped before
// anything can index with them.
void DropBrokenFaces(EditorReader& r, SceneObject* object) {
  DWORD kept = 0;
  for (DWORD i = 0; i < object->faceCount; ++i) {
    const Face f = object->faces[i];
    if (f.a < object->vertexCount && f.b < object->vertexCount && f.c < object->vertexCount)
      object->faces[kept++] = f;
  }
  if (kept != object->faceCount) {
    LogDamage(r.log);
    object->faceCount = kept;
  }
}

void ReadMesh(EditorReader& r, const Chunk& mesh, const char* name) {
  LogPrint(r.log, "\n");
  LogPrint(r.log, "\n");
  LogPrint(r.log, "\n");
  LogPrint(r.log, "Read OBJECT trigonometry... \n");
  SceneObject* object = AppendSceneObject(r.scene);
  LogPrint(r.log, "OBJECT name: %s \n", name);
  object->name = NewText(name);
  object->nodeId = r.nodeCounter;
  if (std::strlen(name) > 7 && std::strncmp(name, "emitter", 7) == 0) {
    object->isEmitter = 1;
    r.scene->emitterCount += 1;
  }
  const WalkEnd end = WalkChunks(mesh.Data(), mesh.end, [&](const Chunk& chunk) {
    switch (chunk.id) {
      case kVertexList: ReadVertexList(r, object, chunk); break;
      case kFaceList: ReadFaceList(r, object, chunk); break;
      case kMappingCoords: ReadMappingCoords(r, object, chunk); break;
      case kLocalAxes: ReadLocalAxes(r, object, chunk); break;
      default: break;
    }
    LogPrint(r.log, "Chunk: %x \n", chunk.id);
    return true;
  });
  if (end == WalkEnd::damaged) LogDamage(r.log);
  DropBrokenFaces(r, object);
  r.scene->objectCount += 1;
}

// The colour chunk is the light's first sub-chunk; anything else stops the
// program. Its three floats are read as if the chunk were 18 bytes long.
const BYTE* ReadLightColour(EditorReader& r, const BYTE* first, const BYTE* lightEnd, float* colour) {
  Chunk chunk;
  if (ReadChunk(first, lightEnd, &chunk) == ChunkStatus::bad || chunk.id != kLightColour)
    FatalFormatError("Error in light chunk !! \n");
  if (Fits(chunk.Data(), lightEnd, 12)) {
    for (int i = 0; i < 3; ++i) colour[i] = GetFloat(chunk.Data() + 4 * i);
  } else {
    LogDamage(r.log);
  }
  return chunk.start;
}

void ReadSpotLight(EditorReader& r, const Chunk& light, const BYTE* first, const Float3& position,
                   const char* name) {
  LogPrint(r.log, "Read Spot Light Chunk ....... \n");
  SpotLight* spot = AppendSpotLight(r.scene);
  spot->name = NewText(name);
  spot->nodeId = r.nodeCounter;
  spot->position = position;
  LogPrint(r.log, " X: %f  Y: %f  Z:%f \n", spot->position.x, spot->position.y, spot->position.z);
  const BYTE* colourChunk = ReadLightColour(r, first, light.end, spot->colour);
  // The second sub-chunk is taken 18 bytes after the colour chunk; the spot
  // data is three chunks further on.
  Chunk spotChunk;
  if (Fits(colourChunk, light.end, 18) &&
      NthChunk(colourChunk + 18, light.end, 4, &spotChunk) != ChunkStatus::bad &&
      Fits(spotChunk.Data(), spotChunk.end, 20)) {
    spot->target = GetPoint(spotChunk.Data());
    spot->hotspot = GetFloat(spotChunk.Data() + 12);
    spot->falloff = GetFloat(spotChunk.Data() + 16);
  } else {
    LogDamage(r.log);
  }
  LogPrint(r.log, " X: %f  Y: %f  Z:%f \n", spot->target.x, spot->target.y, spot->target.z);
  LogPrint(r.log, " Hotspot : %f \n", spot->hotspot);
  LogPrint(r.log, " Falloff : %f \n", spot->falloff);
  r.nodeCounter += 2;
}

void ReadLight(EditorReader& r, const Chunk& light, const char* name) {
  Float3 position = {0.0f, 0.0f, 0.0f};
  const BYTE* first = light.end;
  if (Fits(light.Data(), light.end, 12)) {
    position = GetPoint(light.Data());
    first = light.Data() + 12;
  } else {
    LogDamage(r.log);
  }
  // The fifth sub-chunk tells a spot light from an omni light. A light with
  // fewer sub-chunks cannot be a spot light.
  Chunk fifth;
  bool isSpot = false;
  if (NthChunk(first, light.end, 5, &fifth) != ChunkStatus::bad) {
    LogPrint(r.log, " %x \n", fifth.id);
    isSpot = fifth.id == kSpotLight;
  }
  if (isSpot) {
    ReadSpotLight(r, light, first, position, name);
    return;
  }
  LogPrint(r.log, "Read Omni LIGHT data............ \n");
  OmniLight* omni = AppendOmniLight(r.scene);
  omni->isFlare = std::strncmp(name, "flr", 3) == 0 ? 1 : 0;
  omni->name = NewText(name);
  omni->nodeId = r.nodeCounter;
  omni->position = position;
  ReadLightColour(r, first, light.end, omni->colour);
  r.scene->omniLightCount += 1;
  r.nodeCounter += 1;
}

void ReadCamera(EditorReader& r, const Chunk& chunk, const char* name) {
  LogPrint(r.log, "Read CAMERA data........... \n");
  SceneCamera* camera = AppendSceneCamera(r.scene);
  camera->name = NewText(name);
  LogPrint(r.log, "Camera Name: %s \n ", camera->name);
  camera->nodeId = r.nodeCounter;
  const BYTE* data = chunk.Data();
  if (Fits(data, chunk.end, 32)) {
    camera->position = GetPoint(data);
    camera->target = GetPoint(data + 12);
    camera->bank = GetFloat(data + 24);
    camera->lens = GetFloat(data + 28);
  } else {
    LogDamage(r.log);
  }
  r.scene->cameraCount += 1;
}

void ReadObject(EditorReader& r, const Chunk& chunk) {
  char name[kTextSize];
  const BYTE* after = ReadName(chunk.Data(), chunk.end, name);
  if (!after) {
    LogDamage(r.log);
    return;
  }
  if (after == chunk.end) return;  // a name and nothing else yields no record
  Chunk first;
  const ChunkStatus status = ReadChunk(after, chunk.end, &first);
  if (status != ChunkStatus::ok) LogDamage(r.log);
  if (status == ChunkStatus::bad) return;
  switch (first.id) {
    case kMeshChunk:
      ReadMesh(r, first, name);
      r.nodeCounter += 1;
      break;
    case kLightChunk:
      ReadLight(r, first, name);
      break;
    case kCameraChunk:
      ReadCamera(r, first, name);
      r.nodeCounter += 2;
      break;
    default:
      break;
  }
}

// The first nested chunk of a colour or percentage chunk is taken by
// position, whatever its ID; its data starts 6 bytes further on.
const BYTE* NestedData(const Chunk& chunk, DWORD bytes) {
  return Fits(chunk.Data(), chunk.end, 6 + bytes) ? chunk.Data() + 6 : nullptr;
}

void ReadColourBytes(EditorReader& r, const Chunk& chunk, float* colour) {
  const BYTE* data = NestedData(chunk, 3);
  if (!data) {
    LogDamage(r.log);
    return;
  }
  for (int i = 0; i < 3; ++i) colour[i] = data[i] * kByteToUnit;
}

bool ReadPercentage(EditorReader& r, const Chunk& chunk, WORD* percentage) {
  const BYTE* data = NestedData(chunk, 2);
  if (!data) {
    LogDamage(r.log);
    return false;
  }
  *percentage = GetWord(data);
  return true;
}

// A map's file name is the data of the map chunk's second nested chunk. The
// three characters after its first "." become "jpg": the demo packs every
// map as a JPEG.
char* ReadMapName(EditorReader& r, const Chunk& chunk) {
  Chunk nameChunk;
  if (NthChunk(chunk.Data(), chunk.end, 2, &nameChunk) == ChunkStatus::bad) {
    LogDamage(r.log);
    return nullptr;
  }
  std::string name;
  const BYTE* p = nameChunk.Data();
  for (; p < nameChunk.end && *p; ++p) name.push_back(static_cast<char>(*p));
  if (p == nameChunk.end) LogDamage(r.log);
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.replace(dot + 1, 3, "jpg");
  return NewText(name.c_str());
}

void ReadMaterial(EditorReader& r, const Chunk& chunk) {
  LogPrint(r.log, "Read  Material chunk ...........\n ");
  Material* material = AppendMaterial(r.scene);
  const WalkEnd end = WalkChunks(chunk.Data(), chunk.end, [&](const Chunk& sub) {
    WORD percentage = 0;
    switch (sub.id) {
      case kMaterialName: {
        char name[kTextSize];
        if (!ReadName(sub.Data(), sub.end, name)) LogDamage(r.log);
        delete[] material->name;
        material->name = NewText(name);
        LogPrint(r.log, "Material Name: %s \n ", material->name);
        break;
      }
      case kAmbient:
        ReadColourBytes(r, sub, material->ambient);
        LogPrint(r.log, "Ambient R: %f  \n", material->ambient[0]);
        LogPrint(r.log, "Ambient G: %f  \n", material->ambient[1]);
        LogPrint(r.log, "Ambient B: %f  \n", material->ambient[2]);
        LogPrint(r.log, " \n ");
        break;
      case kDiffuse: ReadColourBytes(r, sub, material->diffuse); break;
      case kSpecular: ReadColourBytes(r, sub, material->specular); break;
      case kShininess:
        if (ReadPercentage(r, sub, &percentage)) material->shininess = static_cast<float>(percentage);
        LogPrint(r.log, "Shiness: %f  \n", material->shininess);
        break;
      case kShininessStrength:
        if (ReadPercentage(r, sub, &percentage))
          material->shininessStrength = static_cast<float>(percentage * 0.01);
        LogPrint(r.log, "Shiness strenght: %f  \n", material->shininessStrength);
        break;
      case kTransparency:
        if (ReadPercentage(r, sub, &percentage)) {
          material->isTransparent = 0;
          material->opacity = static_cast<float>((100 - percentage) * 0.01);
          if (material->opacity < 1.0f) material->isTransparent = 1;
        }
        break;
      case kWireFrame: material->isWire = 1; break;
      case kTextureMap:
        if (char* map = ReadMapName(r, sub)) {
          delete[] material->textureMap;
          material->textureMap = map;
          LogPrint(r.log, "File Name: %s \n", map);
        }
        break;
      case kOpacityMap:
        if (char* map = ReadMapName(r, sub)) {
          material->opacity = 1.0f;
          material->isTransparent = 1;
          material->hasOpacityMap = 1;
          delete[] material->opacityMap;
          material->opacityMap = map;
          LogPrint(r.log, "Material opacity map: %s \n", map);
        }
        break;
      default: break;
    }
    return true;
  });
  if (end == WalkEnd::damaged) LogDamage(r.log);
  LogPrint(r.log, "\n");
}

}  // namespace

bool ReadEditorSection(const BYTE* image, DWORD imageSize, Scene* scene, LoadLog* log) {
  EditorReader r{scene, log};
  LogPrint(log, "Read data from 3D STUDIO file......... ... .  \n");
  const BYTE* imageEnd = image + imageSize;
  Chunk main;
  const ChunkStatus mainStatus = ReadChunk(image, imageEnd, &main);
  if (mainStatus == ChunkStatus::bad || main.id != kMainChunk) {
    LogDamage(log);
    return false;
  }
  if (mainStatus == ChunkStatus::cut) LogDamage(log);
  Chunk editor;
  bool found = false;
  WalkChunks(main.Data(), main.end, [&](const Chunk& chunk) {
    if (chunk.id != kEditorChunk) return true;
    editor = chunk;
    found = true;
    return false;
  });
  if (!found) {
    LogDamage(log);
    return false;
  }
  if (IsCut(editor)) LogDamage(log);
  LogPrint(log, "Reading objects ..... . . .. \n");
  LogPrint(log, "\n");
  const WalkEnd end = WalkChunks(editor.Data(), editor.end, [&](const Chunk& chunk) {
    if (chunk.id == kObjectChunk) ReadObject(r, chunk);
    if (chunk.id == kMaterialChunk) ReadMaterial(r, chunk);
    return true;
  });
  if (end == WalkEnd::damaged) LogDamage(log);
  return true;
}
