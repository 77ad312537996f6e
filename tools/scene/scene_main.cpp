// vantrel-scene: reads a .3ds file through the demo's own reader, leaves the
// demo's "engine.log" in the current folder and prints what the Scene holds.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pack/pack_file.h"
#include "scene3ds/read_3ds.h"
#include "scene3ds/scene.h"

namespace {

void ReportPackError(const char* text) { std::fprintf(stderr, "vantrel-scene: %s\n", text); }

void PrintUsage(FILE* out) {
  std::fputs(
      "Usage: vantrel-scene FILE.3ds\n"
      "       vantrel-scene --pack PACK NAME\n"
      "\n"
      "Reads a 3D Studio file with the demo's scene reader, from disk or as the entry\n"
      "NAME of a pack (looked up as the demo does, ignoring the case of A-Z), writes\n"
      "engine.log in the current folder exactly as the demo does, and prints a summary\n"
      "of the scene: objects with vertex and face counts and pivots, materials, lights,\n"
      "cameras, track key counts and the animation segment.\n"
      "\n"
      "Options:\n"
      "  --pack PACK NAME   read the entry NAME of the pack file PACK\n"
      "  --help             show this text\n"
      "\n"
      "Exit status: 0 when read; 1 when the file or entry cannot be read or the\n"
      "arguments are wrong; 2 on a fatal format error (its line is printed on\n"
      "standard output).\n",
      out);
}

bool LoadFile(const char* path, std::vector<BYTE>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  BYTE buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

const char* Text(const char* text) { return text ? text : "(none)"; }

template <class Key>
DWORD Keys(const Track<Key>& track) {
  return track.keyCount;
}

void PrintScene(const Scene& scene) {
  std::printf("objects: %u (emitters %d)\n", scene.objectCount, scene.emitterCount);
  int index = 0;
  for (const SceneObject* o = scene.objects; o; o = o->next, ++index) {
    std::printf("  [%d] \"%s\" node %u parent %u: %u vertices, %u faces, pivot (%g, %g, %g)", index, Text(o->name),
                o->nodeId, o->parentId, o->vertexCount, o->faceCount, o->pivot.x, o->pivot.y, o->pivot.z);
    if (o->materialName) std::printf(", material \"%s\"", o->materialName);
    if (o->isEmitter) std::printf(", emitter");
    std::printf("; keys: position %u, rotation %u, scale %u\n", Keys(o->positionTrack), Keys(o->rotationTrack),
                Keys(o->scaleTrack));
  }
  int materials = 0;
  for (const Material* m = scene.materials; m; m = m->next) ++materials;
  std::printf("materials: %d\n", materials);
  for (const Material* m = scene.materials; m; m = m->next) {
    std::printf("  \"%s\": ambient (%.3f, %.3f, %.3f), diffuse (%.3f, %.3f, %.3f), opacity %.3f", Text(m->name),
                m->ambient[0], m->ambient[1], m->ambient[2], m->diffuse[0], m->diffuse[1], m->diffuse[2], m->opacity);
    if (m->textureMap) std::printf(", texture \"%s\"", m->textureMap);
    if (m->opacityMap) std::printf(", opacity map \"%s\"", m->opacityMap);
    if (m->isWire) std::printf(", wire");
    std::printf("\n");
  }
  std::printf("omni lights: %u\n", scene.omniLightCount);
  for (const OmniLight* l = scene.omniLights; l; l = l->next)
    std::printf("  \"%s\" node %u at (%g, %g, %g)%s; keys: position %u, first %u\n", Text(l->name), l->nodeId,
                l->position.x, l->position.y, l->position.z, l->isFlare ? ", flare" : "", Keys(l->positionTrack),
                Keys(l->firstTrack));
  int spots = 0;
  for (const SpotLight* l = scene.spotLights; l; l = l->next) ++spots;
  std::printf("spot lights: %d\n", spots);
  for (const SpotLight* l = scene.spotLights; l; l = l->next)
    std::printf("  \"%s\" node %u at (%g, %g, %g) to (%g, %g, %g), hotspot %g, falloff %g; keys: position %u, "
                "target %u, hotspot %u, falloff %u\n",
                Text(l->name), l->nodeId, l->position.x, l->position.y, l->position.z, l->target.x, l->target.y,
                l->target.z, l->hotspot, l->falloff, Keys(l->positionTrack), Keys(l->targetTrack),
                Keys(l->hotspotTrack), Keys(l->falloffTrack));
  std::printf("cameras: %u\n", scene.cameraCount);
  for (const SceneCamera* c = scene.cameras; c; c = c->next)
    std::printf("  \"%s\" node %u at (%g, %g, %g) to (%g, %g, %g), bank %g, lens %g; keys: position %u, target %u, "
                "roll %u, fov %u\n",
                Text(c->name), c->nodeId, c->position.x, c->position.y, c->position.z, c->target.x, c->target.y,
                c->target.z, c->bank, c->lens, Keys(c->positionTrack), Keys(c->targetTrack), Keys(c->rollTrack),
                Keys(c->fovTrack));
  std::printf("animation segment: %u to %u\n", scene.firstFrame, scene.lastFrame);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<const char*> files;
  const char* packPath = nullptr;
  const char* entryName = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage(stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--pack") == 0) {
      if (i + 2 >= argc) {
        std::fprintf(stderr, "vantrel-scene: --pack needs a pack file and an entry name\n\n");
        PrintUsage(stderr);
        return 1;
      }
      packPath = argv[++i];
      entryName = argv[++i];
      continue;
    }
    if (argv[i][0] == '-' && argv[i][1] != 0) {
      std::fprintf(stderr, "vantrel-scene: unknown option %s\n\n", argv[i]);
      PrintUsage(stderr);
      return 1;
    }
    files.push_back(argv[i]);
  }
  if (files.size() + (packPath ? 1 : 0) != 1) {
    PrintUsage(stderr);
    return 1;
  }
  std::vector<BYTE> image;
  if (packPath) {
    // The demo's pack reader, reporting here rather than in an error box.
    PackFile pack(ReportPackError);
    if (!pack.OpenPack(packPath)) return 1;
    PackEntry entry;
    if (!pack.FindEntry(entryName, &entry)) return 1;
    std::unique_ptr<unsigned char[]> bytes(pack.Extract(entryName));
    image.assign(bytes.get(), bytes.get() + pack.lastSize);
    std::printf("%s in %s: %zu bytes\n", entryName, packPath, image.size());
  } else {
    if (!LoadFile(files[0], &image)) {
      std::fprintf(stderr, "vantrel-scene: cannot read %s: %s\n", files[0], std::strerror(errno));
      return 1;
    }
    std::printf("%s: %zu bytes\n", files[0], image.size());
  }
  if (image.size() > 0xFFFFFFFFu) {
    std::fprintf(stderr, "vantrel-scene: a 3DS file cannot be this large\n");
    return 1;
  }
  std::fflush(stdout);
  Scene* scene = CreateScene();
  Read3dsImage(image.data(), static_cast<DWORD>(image.size()), scene);
  PrintScene(*scene);
  std::printf("log: engine.log\n");
  ReleaseScene(scene);
  return 0;
}
