#include <cmath>
#include <cstring>

#include "scene3ds/keyframer.h"
#include "scene_test_support.h"

using namespace writer3ds;

namespace {

using writer3ds::RotationKey;
using writer3ds::ScalarKey;
using writer3ds::VectorKey;

class KeyframerTest : public SceneReadTest {};

MeshNode Node(uint16_t id, const std::string& name, uint16_t parent = 0xFFFF) {
  MeshNode node;
  node.header = {id, name, 0, 0, parent};
  return node;
}

TEST_F(KeyframerTest, SegmentOnlySectionStoresFramesAndReadsNoNode) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); }, [](Writer&) {}, 7, 250));
  EXPECT_EQ(scene->firstFrame, 7u);
  EXPECT_EQ(scene->lastFrame, 250u);
  const std::string log = Log();
  EXPECT_EQ(log.find("==="), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - 8), Crlf(" .. \n\n"));
}

TEST_F(KeyframerTest, MeshNodeSetsNodeParentPivotAndTracks) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                                   [](Writer& w) {
                                     MeshNode node = Node(12, "m", 0xFFFF);
                                     node.pivot = Vec3{1, 2, 3};
                                     node.position = std::vector<VectorKey>{{{0}, {1, 2, 3}}, {{10}, {4, 5, 6}}};
                                     node.scale = std::vector<VectorKey>{{{0}, {1, 1, 2}}};
                                     node.rotation = std::vector<RotationKey>{};
                                     w.WriteMeshNode(node);
                                   }));
  const SceneObject* o = scene->objects;
  EXPECT_EQ(o->nodeId, 12);
  EXPECT_EQ(o->parentId, 0xFFFF);
  EXPECT_EQ(o->pivot.x, 1.0f);
  EXPECT_EQ(o->pivot.y, 3.0f);
  EXPECT_EQ(o->pivot.z, 2.0f);
  ASSERT_EQ(o->positionTrack.keyCount, 2u);
  EXPECT_EQ(o->positionTrack.keys[1].frame, 10.0f);
  EXPECT_EQ(o->positionTrack.keys[1].x, 4.0f);
  EXPECT_EQ(o->positionTrack.keys[1].y, 6.0f);
  EXPECT_EQ(o->positionTrack.keys[1].z, 5.0f);
  ASSERT_EQ(o->scaleTrack.keyCount, 1u);
  EXPECT_EQ(o->scaleTrack.keys[0].y, 2.0f);
  EXPECT_EQ(o->rotationTrack.keyCount, 0u);  // an empty track stays empty
  const std::string expected =
      "Read Mesh tracks ..... \n"
      "Object ID: 12 \n"
      "Obj.track name: m \n"
      "Obj. parent ID: 65535 \n"
      "Obj. Pivot X: 1.000000 Y: 3.000000 Z: 2.000000 \n"
      "Frame:  0.000000   X:  1.000000      Y:  3.000000      Z:  2.000000  \n"
      " Frame:  10.000000   X:  4.000000      Y:  6.000000      Z:  5.000000  \n"
      " Read Scale Track : \n"
      "Frame:  0.000000   X:  1.000000      Y:  2.000000      Z:  1.000000  \n"
      " \n"
      "==================>>>> b002 \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(KeyframerTest, KeyFlagsDecideWhichParametersFollow) {
  KeyHeader easeOnly{5, kEaseTo | kEaseFrom, 0, 0, 0, 0.5f, 0.25f};
  KeyHeader all{6, kTension | kContinuity | kBias | kEaseTo, 0.1f, 0.2f, 0.3f, 0.4f};
  KeyHeader biasOnly{-3, kBias, 0, 0, 0.75f};
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                                   [&](Writer& w) {
                                     MeshNode node = Node(0, "m");
                                     node.position = std::vector<VectorKey>{
                                         {easeOnly, {1, 2, 3}}, {all, {4, 5, 6}}, {biasOnly, {7, 8, 9}}};
                                     node.scale = std::vector<VectorKey>{{{0}, {9, 9, 9}}};
                                     w.WriteMeshNode(node);
                                   }));
  const Track<::VectorKey>& track = scene->objects->positionTrack;
  ASSERT_EQ(track.keyCount, 3u);
  EXPECT_EQ(track.keys[0].frame, 5.0f);
  EXPECT_EQ(track.keys[0].tension, 0.0f);
  EXPECT_EQ(track.keys[0].continuity, 0.0f);
  EXPECT_EQ(track.keys[0].bias, 0.0f);
  EXPECT_EQ(track.keys[0].x, 1.0f);  // the value 8 bytes after the flags
  EXPECT_EQ(track.keys[0].y, 3.0f);
  EXPECT_EQ(track.keys[1].tension, 0.1f);
  EXPECT_EQ(track.keys[1].continuity, 0.2f);
  EXPECT_EQ(track.keys[1].bias, 0.3f);
  EXPECT_EQ(track.keys[1].z, 5.0f);
  EXPECT_EQ(track.keys[2].frame, -3.0f);
  EXPECT_EQ(track.keys[2].bias, 0.75f);
  EXPECT_EQ(track.keys[2].tension, 0.0f);
  EXPECT_EQ(track.keys[2].x, 7.0f);
  // The chunk after the track is found where it should be.
  ASSERT_EQ(scene->objects->scaleTrack.keyCount, 1u);
  EXPECT_EQ(scene->objects->scaleTrack.keys[0].x, 9.0f);
}

TEST_F(KeyframerTest, RotationKeyBecomesAQuaternion) {
  const float halfPi = static_cast<float>(M_PI / 2);
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                                   [&](Writer& w) {
                                     MeshNode node = Node(0, "m");
                                     node.rotation = std::vector<RotationKey>{{{0}, halfPi, {0, 0, 1}},
                                                                              {{1}, halfPi, {0, 0, 1}}};
                                     w.WriteMeshNode(node);
                                   }));
  const float rootHalf = static_cast<float>(std::sqrt(0.5));
  const Track<::RotationKey>& track = scene->objects->rotationTrack;
  ASSERT_EQ(track.keyCount, 2u);
  for (DWORD i = 0; i < 2; ++i) {  // keys are not combined with earlier ones
    EXPECT_EQ(track.keys[i].x, 0.0f);
    EXPECT_EQ(track.keys[i].y, rootHalf);
    EXPECT_EQ(track.keys[i].z, 0.0f);
    EXPECT_EQ(track.keys[i].w, rootHalf);
  }
  const std::string line = " FRAME: 0.000000 , W: 0.707107 , X: 0.000000  Y: 0.707107  Z: 0.000000 \n";
  EXPECT_NE(Log().find(Crlf("Obj. parent ID: 65535 \n\n" + line + line + "\n")), std::string::npos) << Log();
}

TEST_F(KeyframerTest, AngleAxisUsesTheAxisAsGiven) {
  const Quaternion q = AngleAxisToQuaternion(0.0f, 2.0f, 0.0f, static_cast<float>(M_PI));
  EXPECT_NEAR(q.y, 2.0f, 1e-6);
  EXPECT_NEAR(q.w, 0.0f, 1e-6);
}

TEST_F(KeyframerTest, DummyNodeIsAppendedThenUpdated) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("real")); },
                                   [](Writer& w) {
                                     MeshNode first = Node(3, "dummy", 0);
                                     first.pivot = Vec3{1, 1, 1};
                                     w.WriteMeshNode(first);
                                     MeshNode second = Node(4, "dummy", 7);
                                     second.pivot = Vec3{5, 6, 7};
                                     second.position = std::vector<VectorKey>{{{2}, {1, 2, 3}}};
                                     w.WriteMeshNode(second);
                                   }));
  EXPECT_EQ(scene->objectCount, 1);  // counts the editor's meshes only
  ASSERT_EQ(CountObjects(scene), 2);
  const SceneObject* dummy = scene->objects->next;
  EXPECT_STREQ(dummy->name, "dummy");
  EXPECT_EQ(dummy->prev, scene->objects);
  EXPECT_EQ(dummy->vertexCount, 0u);
  EXPECT_EQ(dummy->positions, nullptr);
  EXPECT_EQ(dummy->nodeId, 4);
  EXPECT_EQ(dummy->parentId, 7);
  EXPECT_EQ(dummy->pivot.y, 7.0f);
  EXPECT_EQ(dummy->positionTrack.keyCount, 1u);
}

TEST_F(KeyframerTest, HeaderWithoutIdChunkKeepsTheEarlierNodeId) {
  Scene* scene = Read(AnimatedFile(
      [](Writer& w) {
        w.WriteMesh(TriangleMesh("a"));
        w.WriteMesh(TriangleMesh("b"));
        w.WriteMesh(TriangleMesh("c"));
      },
      [](Writer& w) {
        MeshNode c = Node(0, "c");
        c.header.nodeId.reset();  // before any ID chunk: 0
        w.WriteMeshNode(c);
        w.WriteMeshNode(Node(9, "a"));
        MeshNode b = Node(0, "b");
        b.header.nodeId.reset();
        w.WriteMeshNode(b);
      }));
  EXPECT_EQ(scene->objects->nodeId, 9);
  EXPECT_EQ(scene->objects->next->nodeId, 9);
  EXPECT_EQ(scene->objects->next->next->nodeId, 0);
}

TEST_F(KeyframerTest, TrackOrPivotBeforeAnyHeaderIsSkipped) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                                   [](Writer& w) {
                                     w.Begin(kMeshNode);
                                     w.Begin(kPivot);
                                     w.Point({1, 2, 3});
                                     w.End();
                                     w.WriteVectorTrack(kPositionTrack, {{{0}, {1, 2, 3}}});
                                     w.Chunk(0xB011, {'x', 0});  // instance name: stepped over
                                     w.End();
                                   }));
  EXPECT_EQ(scene->objects->pivot.x, 0.0f);
  EXPECT_EQ(scene->objects->positionTrack.keyCount, 0u);
  EXPECT_NE(Log().find(Crlf("Read Mesh tracks ..... \n\n==================>>>> b002 \n")), std::string::npos)
      << Log();
}

TEST_F(KeyframerTest, OtherSectionChunksAreLoggedByIdOnly) {
  Read(AnimatedFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); },
                    [](Writer& w) {
                      w.CurrentFrame(3);
                      w.Chunk(0xB0FF, {1, 2, 3});
                    }));
  EXPECT_NE(Log().find(Crlf("\n==================>>>> b009 \n==================>>>> b0ff \n")), std::string::npos);
}

TEST_F(KeyframerTest, CameraNodesFillTracks) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteCamera({"cam"}); },
                                   [](Writer& w) {
                                     CameraNode node;
                                     node.header = {1, "cam"};
                                     node.position = {{{0}, {1, 2, 3}}};
                                     node.fov = {{{0}, 45.0f}, {{5}, 50.0f}};
                                     node.roll = {{{0}, 10.0f}};
                                     w.WriteCameraNode(node);
                                     w.WriteCameraTargetNode({{2, "cam"}, {{{0}, {4, 5, 6}}}});
                                   }));
  const SceneCamera* c = scene->cameras;
  ASSERT_EQ(c->positionTrack.keyCount, 1u);
  EXPECT_EQ(c->positionTrack.keys[0].y, 3.0f);
  ASSERT_EQ(c->fovTrack.keyCount, 2u);
  EXPECT_EQ(c->fovTrack.keys[1].value, 50.0f);
  EXPECT_EQ(c->fovTrack.keys[1].frame, 5.0f);
  ASSERT_EQ(c->rollTrack.keyCount, 1u);
  EXPECT_EQ(c->rollTrack.keys[0].value, 10.0f);
  ASSERT_EQ(c->targetTrack.keyCount, 1u);
  EXPECT_EQ(c->targetTrack.keys[0].z, 5.0f);
  const std::string expected =
      "Camera tracks..............    \n"
      "Cam Name: cam \n"
      "Frame:  0.000000   X:  1.000000      Y:  3.000000      Z:  2.000000  \n"
      " \n"
      "==================>>>> b003 \n"
      "Camera target track........    \n"
      "Frame:  0.000000   X:  4.000000      Y:  6.000000      Z:  5.000000  \n"
      " ==================>>>> b004 \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(KeyframerTest, OmniNodeReadsTheThirdTrackAndThePositionTrack) {
  Scene* scene = Read(AnimatedFile(
      [](Writer& w) {
        w.WriteOmniLight({"lamp"});
        w.WriteOmniLight({"bulb"});
      },
      [](Writer& w) {
        OmniNode withColour;
        withColour.header = {0, "lamp"};
        withColour.colour = std::vector<VectorKey>{{{0}, {1, 0, 0}}};
        withColour.position = {{{0}, {1, 2, 3}}, {{9}, {4, 5, 6}}};
        w.WriteOmniNode(withColour);
        OmniNode plain;
        plain.header = {1, "bulb"};
        plain.position = {{{0}, {7, 8, 9}}};
        w.WriteOmniNode(plain);
      }));
  const ::OmniLight* lamp = scene->omniLights;
  ASSERT_EQ(lamp->firstTrack.keyCount, 1u);
  EXPECT_EQ(lamp->firstTrack.keys[0].x, 1.0f);
  ASSERT_EQ(lamp->positionTrack.keyCount, 2u);
  EXPECT_EQ(lamp->positionTrack.keys[1].y, 6.0f);
  const ::OmniLight* bulb = lamp->next;
  ASSERT_EQ(bulb->firstTrack.keyCount, 1u);  // the position track, read into both
  ASSERT_EQ(bulb->positionTrack.keyCount, 1u);
  EXPECT_EQ(bulb->firstTrack.keys[0].y, 9.0f);
  const std::string expected =
      "Omni Light track........    \n"
      "Light name: bulb \n"
      "Light Chunk ID: b020 \n"
      " num_keys: 1 \n"
      "Frame:  0.000000   X:  7.000000      Y:  9.000000      Z:  8.000000  \n"
      " Frame:  0.000000   X:  7.000000      Y:  9.000000      Z:  8.000000  \n"
      " \n"
      "==================>>>> b005 \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(KeyframerTest, SpotNodesFillTracksAndLogHotspotAndFalloff) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteSpotLight({"spot"}); },
                                   [](Writer& w) {
                                     // A target node before any spot node has nothing to attach to.
                                     w.WriteSpotTargetNode({{0, "spot"}, {{{0}, {9, 9, 9}}}});
                                     SpotNode node;
                                     node.header = {1, "spot"};
                                     node.position = {{{0}, {1, 2, 3}}};
                                     node.colour = {{{0}, {1, 1, 1}}};
                                     node.hotspot = {{{0}, 20.0f}, {{30}, 25.5f}};
                                     node.falloff = {{{0}, 40.0f}};
                                     w.WriteSpotNode(node);
                                     w.WriteSpotTargetNode({{2, "spot"}, {{{0}, {4, 5, 6}}}});
                                   }));
  const ::SpotLight* s = scene->spotLights;
  ASSERT_EQ(s->positionTrack.keyCount, 1u);
  ASSERT_EQ(s->hotspotTrack.keyCount, 2u);
  EXPECT_EQ(s->hotspotTrack.keys[1].value, 25.5f);
  ASSERT_EQ(s->falloffTrack.keyCount, 1u);
  ASSERT_EQ(s->targetTrack.keyCount, 1u);
  EXPECT_EQ(s->targetTrack.keys[0].y, 6.0f);
  const std::string expected =
      "Spot Light track........    \n"
      "Spot Light name: spot \n"
      "Frame:  0.000000   X:  1.000000      Y:  3.000000      Z:  2.000000  \n"
      " CHUNK: b027 \n"
      "CHUNK: b028 \n"
      " FRAME: 0 , hotspot: 20.000000 \n"
      " FRAME: 30 , hotspot: 25.500000 \n"
      " FRAME: 0 , falloff: 40.000000 \n"
      "==================>>>> b007 \n"
      "Spot Light Target track........    \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(KeyframerTest, NodesNamingNoRecordAreSkipped) {
  Scene* scene = Read(AnimatedFile([](Writer& w) { w.WriteCamera({"cam"}); },
                                   [](Writer& w) {
                                     CameraNode node;
                                     node.header = {0, "other"};
                                     node.position = {{{0}, {1, 2, 3}}};
                                     w.WriteCameraNode(node);
                                     w.WriteCameraTargetNode({{1, "other"}, {{{0}, {1, 2, 3}}}});
                                     OmniNode omni;
                                     omni.header = {2, "nolamp"};
                                     omni.position = {{{0}, {1, 2, 3}}};
                                     w.WriteOmniNode(omni);
                                   }));
  EXPECT_EQ(scene->cameras->positionTrack.keyCount, 0u);
  EXPECT_EQ(scene->cameras->targetTrack.keyCount, 0u);
  EXPECT_EQ(Log().find("Cam Name"), std::string::npos);
}

}  // namespace
