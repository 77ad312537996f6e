#include "scene3ds/scene.h"

#include <cstring>

Scene* CreateScene() { return new Scene(); }

namespace {

// Appends after the last record of a singly linked list.
template <class Record>
Record* AppendSingle(Record** head) {
  Record* record = new Record();
  Record** link = head;
  while (*link) link = &(*link)->next;
  *link = record;
  return record;
}

template <class Record>
Record* AppendDouble(Record** head) {
  Record* record = new Record();
  if (!*head) {
    *head = record;
    return record;
  }
  Record* last = *head;
  while (last->next) last = last->next;
  last->next = record;
  record->prev = last;
  return record;
}

template <class Key>
void ReleaseTrack(Track<Key>& track) {
  delete[] track.keys;
  track.keys = nullptr;
  track.keyCount = 0;
}

}  // namespace

SceneObject* AppendSceneObject(Scene* scene) { return AppendDouble(&scene->objects); }
Material* AppendMaterial(Scene* scene) { return AppendSingle(&scene->materials); }
OmniLight* AppendOmniLight(Scene* scene) { return AppendDouble(&scene->omniLights); }
SpotLight* AppendSpotLight(Scene* scene) { return AppendDouble(&scene->spotLights); }
SceneCamera* AppendSceneCamera(Scene* scene) { return AppendDouble(&scene->cameras); }

char* NewText(const char* source) {
  char* text = new char[kTextSize]();
  if (source) std::strncpy(text, source, kTextSize - 1);
  return text;
}

void ReleaseScene(Scene* scene) {
  if (!scene) return;
  for (SceneObject* o = scene->objects; o;) {
    SceneObject* next = o->next;
    delete[] o->name;
    delete[] o->positions;
    delete[] o->normals;
    delete[] o->texCoords;
    delete[] o->faces;
    delete[] o->materialName;
    ReleaseTrack(o->positionTrack);
    ReleaseTrack(o->scaleTrack);
    ReleaseTrack(o->rotationTrack);
    delete o;
    o = next;
  }
  for (Material* m = scene->materials; m;) {
    Material* next = m->next;
    delete[] m->name;
    delete[] m->textureMap;
    delete[] m->opacityMap;
    delete m;
    m = next;
  }
  for (OmniLight* l = scene->omniLights; l;) {
    OmniLight* next = l->next;
    delete[] l->name;
    ReleaseTrack(l->positionTrack);
    ReleaseTrack(l->firstTrack);
    delete l;
    l = next;
  }
  for (SpotLight* l = scene->spotLights; l;) {
    SpotLight* next = l->next;
    delete[] l->name;
    ReleaseTrack(l->positionTrack);
    ReleaseTrack(l->targetTrack);
    ReleaseTrack(l->hotspotTrack);
    ReleaseTrack(l->falloffTrack);
    delete l;
    l = next;
  }
  for (SceneCamera* c = scene->cameras; c;) {
    SceneCamera* next = c->next;
    delete[] c->name;
    ReleaseTrack(c->positionTrack);
    ReleaseTrack(c->targetTrack);
    ReleaseTrack(c->rollTrack);
    ReleaseTrack(c->fovTrack);
    delete c;
    c = next;
  }
  delete scene;
}
