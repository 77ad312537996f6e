#include <cstring>

#include "scene_test_support.h"

using namespace writer3ds;

namespace {

class SceneModelTest : public SceneReadTest {};

TEST_F(SceneModelTest, EmptySceneHasNothing) {
  Scene* scene = CreateScene();
  scenes_.push_back(scene);
  EXPECT_EQ(scene->objectCount, 0);
  EXPECT_EQ(scene->omniLightCount, 0);
  EXPECT_EQ(scene->cameraCount, 0);
  EXPECT_EQ(scene->firstFrame, 0u);
  EXPECT_EQ(scene->lastFrame, 0u);
  EXPECT_EQ(scene->emitterCount, 0);
  EXPECT_EQ(scene->objects, nullptr);
  EXPECT_EQ(scene->materials, nullptr);
  EXPECT_EQ(scene->omniLights, nullptr);
  EXPECT_EQ(scene->spotLights, nullptr);
  EXPECT_EQ(scene->cameras, nullptr);
}

TEST_F(SceneModelTest, FileWithoutMeshesGivesNoObjects) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.WriteCamera({"Cam"});
    w.WriteMaterial({"Mat"});
  }));
  EXPECT_EQ(scene->objectCount, 0);
  EXPECT_EQ(scene->objects, nullptr);
  EXPECT_EQ(scene->cameraCount, 1);
}

TEST_F(SceneModelTest, ListsKeepFileOrderWithLinksBothWays) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.WriteMesh(TriangleMesh("A"));
    w.WriteMaterial({"M1"});
    w.WriteMesh(TriangleMesh("B"));
    w.WriteMaterial({"M2"});
    w.WriteMesh(TriangleMesh("C"));
  }));
  ASSERT_EQ(scene->objectCount, 3);
  const SceneObject* a = scene->objects;
  ASSERT_NE(a, nullptr);
  const SceneObject* b = a->next;
  ASSERT_NE(b, nullptr);
  const SceneObject* c = b->next;
  ASSERT_NE(c, nullptr);
  EXPECT_STREQ(a->name, "A");
  EXPECT_STREQ(b->name, "B");
  EXPECT_STREQ(c->name, "C");
  EXPECT_EQ(a->prev, nullptr);
  EXPECT_EQ(b->prev, a);
  EXPECT_EQ(c->prev, b);
  EXPECT_EQ(c->next, nullptr);
  ASSERT_NE(scene->materials, nullptr);
  EXPECT_STREQ(scene->materials->name, "M1");
  ASSERT_NE(scene->materials->next, nullptr);
  EXPECT_STREQ(scene->materials->next->name, "M2");
  EXPECT_EQ(scene->materials->next->next, nullptr);
}

TEST_F(SceneModelTest, EmitterNeedsTheLowerCasePrefixAndMore) {
  const struct {
    const char* name;
    int isEmitter;
  } cases[] = {{"emitter01", 1}, {"emitter", 0}, {"Emitter01", 0}, {"emitte", 0}, {"emitterX", 1}};
  Scene* scene = Read(EditorFile([&](Writer& w) {
    for (const auto& c : cases) w.WriteMesh(TriangleMesh(c.name));
  }));
  int expectedCount = 0;
  const SceneObject* o = scene->objects;
  for (const auto& c : cases) {
    ASSERT_NE(o, nullptr);
    EXPECT_STREQ(o->name, c.name);
    EXPECT_EQ(o->isEmitter, c.isEmitter) << c.name;
    expectedCount += c.isEmitter;
    o = o->next;
  }
  EXPECT_EQ(scene->emitterCount, expectedCount);
}

TEST_F(SceneModelTest, FlareNeedsLowerCaseFlr) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.WriteOmniLight({"flr_sun"});
    w.WriteOmniLight({"FLR1"});
    w.WriteOmniLight({"fl"});
  }));
  ASSERT_EQ(scene->omniLightCount, 3);
  const ::OmniLight* l = scene->omniLights;
  EXPECT_EQ(l->isFlare, 1);
  EXPECT_EQ(l->next->isFlare, 0);
  EXPECT_EQ(l->next->next->isFlare, 0);
  EXPECT_EQ(l->next->prev, l);
}

TEST_F(SceneModelTest, NodeNumbersAdvanceByKind) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.WriteMesh(TriangleMesh("m1"));
    w.WriteCamera({"cam"});
    w.WriteOmniLight({"omni"});
    w.WriteSpotLight({"spot"});
    w.WriteMesh(TriangleMesh("m2"));
  }));
  ASSERT_EQ(scene->objectCount, 2);
  EXPECT_EQ(scene->objects->nodeId, 0);
  EXPECT_EQ(scene->cameras->nodeId, 1);
  EXPECT_EQ(scene->omniLights->nodeId, 3);
  ASSERT_NE(scene->spotLights, nullptr);
  EXPECT_EQ(scene->spotLights->nodeId, 4);
  EXPECT_EQ(scene->objects->next->nodeId, 6);
}

TEST_F(SceneModelTest, ObjectOfUnknownKindYieldsNothing) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.Begin(kObject);
    w.Text("box");
    w.Chunk(0x4010);  // "object hidden" instead of a kind
    w.End();
    w.WriteMesh(TriangleMesh("after"));
  }));
  ASSERT_EQ(scene->objectCount, 1);
  EXPECT_STREQ(scene->objects->name, "after");
  EXPECT_EQ(scene->objects->nodeId, 0);  // the counter did not move
  EXPECT_EQ(scene->omniLights, nullptr);
  EXPECT_EQ(scene->cameras, nullptr);
}

TEST_F(SceneModelTest, LongNamesAreCutToFourteenCharacters) {
  writer3ds::Material material;
  material.name = "A_Very_Long_Material";  // 20 characters
  Scene* scene = Read(EditorFile([&](Writer& w) {
    w.WriteMaterial(material);
    w.WriteMesh(TriangleMesh("Sixteen_chars_01"));
  }));
  EXPECT_STREQ(scene->materials->name, "A_Very_Long_Ma");
  EXPECT_STREQ(scene->objects->name, "Sixteen_chars_");
}

}  // namespace
