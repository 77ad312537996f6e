#include <sys/stat.h>

#include <cmath>
#include <cstring>

#include "scene_test_support.h"

using namespace writer3ds;

namespace {

using writer3ds::RotationKey;
using writer3ds::ScalarKey;
using writer3ds::VectorKey;

class EditorReaderTest : public SceneReadTest {};

TEST_F(EditorReaderTest, WholeLogOfASmallFile) {
  writer3ds::Material wood;
  wood.name = "wood";
  wood.ambient = std::array<uint8_t, 3>{255, 128, 0};
  wood.shininess = 40;
  wood.shininessStrength = 25;
  wood.textureMap = MapDesc{"WOOD.TGA"};
  Mesh box;
  box.name = "box";
  box.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  box.faces = {{0, 1, 2}};
  box.groups = {{"wood", {0}}};
  Read(AnimatedFile(
      [&](Writer& w) {
        w.WriteMaterial(wood);
        w.WriteMesh(box);
      },
      [](Writer& w) {
        MeshNode node;
        node.header = {0, "box", 0, 0, 0xFFFF};
        node.pivot = Vec3{1, 2, 3};
        node.position = std::vector<VectorKey>{{{0}, {1, 2, 3}}};
        w.WriteMeshNode(node);
      }));
  const std::string expected =
      "Read data from 3D STUDIO file......... ... .  \n"
      "Reading objects ..... . . .. \n"
      "\n"
      "Read  Material chunk ...........\n"
      " Material Name: wood \n"
      " Ambient R: 1.000000  \n"
      "Ambient G: 0.501961  \n"
      "Ambient B: 0.000000  \n"
      " \n"
      " Shiness: 40.000000  \n"
      "Shiness strenght: 0.250000  \n"
      "File Name: WOOD.jpg \n"
      "\n"
      "\n"
      "\n"
      "\n"
      "Read OBJECT trigonometry... \n"
      "OBJECT name: box \n"
      "Chunk: 4110 \n"
      " Name mat: wood \n"
      "Chunk: 4120 \n"
      "\n"
      "Reading ok !!!!!!! . . .. . .. .. . .. \n"
      "\n"
      "Read Mesh tracks ..... \n"
      "Object ID: 0 \n"
      "Obj.track name: box \n"
      "Obj. parent ID: 65535 \n"
      "Obj. Pivot X: 1.000000 Y: 3.000000 Z: 2.000000 \n"
      "Frame:  0.000000   X:  1.000000      Y:  3.000000      Z:  2.000000  \n"
      " \n"
      "==================>>>> b002 \n";
  EXPECT_EQ(Log(), Crlf(expected));
}

TEST_F(EditorReaderTest, VerticesExchangeYAndZAndKeepXZAsTextureCoordinates) {
  Mesh mesh = TriangleMesh("m");
  mesh.vertices = {{1, 2, 3}, {4, 5, 6}, {-7, 8.5f, 9}};
  mesh.faces = {{2, 0, 1}};
  mesh.groups = {{"stone", {0}}};
  Scene* scene = Read(EditorFile([&](Writer& w) { w.WriteMesh(mesh); }));
  const SceneObject* o = scene->objects;
  ASSERT_NE(o, nullptr);
  ASSERT_EQ(o->vertexCount, 3u);
  EXPECT_EQ(o->positions[0].x, 1.0f);
  EXPECT_EQ(o->positions[0].y, 3.0f);
  EXPECT_EQ(o->positions[0].z, 2.0f);
  EXPECT_EQ(o->positions[2].x, -7.0f);
  EXPECT_EQ(o->positions[2].y, 9.0f);
  EXPECT_EQ(o->positions[2].z, 8.5f);
  EXPECT_EQ(o->texCoords[0].u, 1.0f);
  EXPECT_EQ(o->texCoords[0].v, 3.0f);
  EXPECT_EQ(o->texCoords[2].u, -7.0f);
  EXPECT_EQ(o->texCoords[2].v, 9.0f);
  ASSERT_NE(o->normals, nullptr);
  ASSERT_EQ(o->faceCount, 1u);
  EXPECT_EQ(o->faces[0].a, 2);  // corner order as in the file
  EXPECT_EQ(o->faces[0].b, 0);
  EXPECT_EQ(o->faces[0].c, 1);
  EXPECT_STREQ(o->materialName, "stone");
  EXPECT_EQ(o->pivot.x, 0.0f);
  EXPECT_EQ(o->positionTrack.keyCount, 0u);
}

TEST_F(EditorReaderTest, MappingCoordinatesAreCopiedUnchanged) {
  Mesh mesh = TriangleMesh("m");
  mesh.mapping = {{0.25f, 0.75f}, {1.5f, -2.0f}, {0.0f, 1.0f}};
  Scene* scene = Read(EditorFile([&](Writer& w) { w.WriteMesh(mesh); }));
  const SceneObject* o = scene->objects;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(o->texCoords[i].u, mesh.mapping[i][0]);
    EXPECT_EQ(o->texCoords[i].v, mesh.mapping[i][1]);
  }
}

TEST_F(EditorReaderTest, IdentityAxesMoveVerticesByTheOriginAndAreLogged) {
  Mesh mesh = TriangleMesh("m");
  mesh.vertices = {{11, 22, 33}};
  mesh.faces = {};
  mesh.localAxes = std::array<Vec3, 4>{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}, Vec3{10, 20, 30}};
  Scene* scene = Read(EditorFile([&](Writer& w) { w.WriteMesh(mesh); }));
  const Float3 p = scene->objects->positions[0];
  EXPECT_EQ(p.x, 1.0f);
  EXPECT_EQ(p.y, 3.0f);
  EXPECT_EQ(p.z, 2.0f);
  const std::string expected =
      "Chunk: 4110 \n"
      " x: 1.000000     y: 0.000000     z: 0.000000     w: 0.000000  \n"
      " x: 0.000000     y: 1.000000     z: 0.000000     w: 0.000000  \n"
      " x: 0.000000     y: 0.000000     z: 1.000000     w: 0.000000  \n"
      " x: 0.000000     y: 0.000000     z: 0.000000     w: 1.000000  \n"
      "  x: 10.000000      y: 30.000000      z: 20.000000  \n"
      "Chunk: 4160 \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(EditorReaderTest, TurnedAndScaledAxesGiveTheObjectFrame) {
  const struct {
    const char* what;
    std::array<Vec3, 4> axes;
    Vec3 vertex;
    Float3 expected;
  } cases[] = {
      // A quarter turn about the file's z axis: local x is file y, local y is -file x.
      {"turned", {Vec3{0, 1, 0}, Vec3{-1, 0, 0}, Vec3{0, 0, 1}, Vec3{0, 0, 0}}, {1, 2, 3}, {2, 3, -1}},
      // Axes of length 2 halve every coordinate.
      {"scaled", {Vec3{2, 0, 0}, Vec3{0, 2, 0}, Vec3{0, 0, 2}, Vec3{0, 0, 0}}, {2, 4, 6}, {1, 3, 2}},
  };
  for (const auto& c : cases) {
    Mesh mesh = TriangleMesh("m");
    mesh.vertices = {c.vertex};
    mesh.faces = {};
    mesh.localAxes = c.axes;
    Scene* scene = Read(EditorFile([&](Writer& w) { w.WriteMesh(mesh); }));
    const Float3 p = scene->objects->positions[0];
    EXPECT_NEAR(p.x, c.expected.x, 1e-6) << c.what;
    EXPECT_NEAR(p.y, c.expected.y, 1e-6) << c.what;
    EXPECT_NEAR(p.z, c.expected.z, 1e-6) << c.what;
  }
}

TEST_F(EditorReaderTest, UnreadMeshChunkGetsOnlyItsLine) {
  Scene* scene = Read(EditorFile([](Writer& w) {
    w.Begin(kObject);
    w.Text("m");
    w.Begin(kTriMesh);
    w.Chunk(0x4150, {1, 0, 0, 0});  // smoothing groups
    w.End();
    w.End();
  }));
  EXPECT_EQ(scene->objectCount, 1);
  EXPECT_EQ(scene->objects->vertexCount, 0u);
  EXPECT_NE(Log().find(Crlf("OBJECT name: m \nChunk: 4150 \n\nReading ok")), std::string::npos) << Log();
}

TEST_F(EditorReaderTest, TransparencyAndOpacityMap) {
  const struct {
    const char* name;
    std::optional<uint16_t> transparency;
    bool opacityMap;
    float opacity;
    int isTransparent;
  } cases[] = {
      {"clear0", 0, false, 1.0f, 0},
      {"glass30", 30, false, 0.7f, 1},
      {"mapped", 30, true, 1.0f, 1},
  };
  Scene* scene = Read(EditorFile([&](Writer& w) {
    for (const auto& c : cases) {
      writer3ds::Material m;
      m.name = c.name;
      m.transparency = c.transparency;
      if (c.opacityMap) m.opacityMap = MapDesc{"Mask.bmp"};
      w.WriteMaterial(m);
    }
  }));
  const ::Material* m = scene->materials;
  for (const auto& c : cases) {
    ASSERT_NE(m, nullptr);
    EXPECT_FLOAT_EQ(m->opacity, c.opacity) << c.name;
    EXPECT_EQ(m->isTransparent, c.isTransparent) << c.name;
    EXPECT_EQ(m->hasOpacityMap, c.opacityMap ? 1 : 0) << c.name;
    if (c.opacityMap) {
      EXPECT_STREQ(m->opacityMap, "Mask.jpg");
    }
    m = m->next;
  }
  EXPECT_NE(Log().find(Crlf("Material opacity map: Mask.jpg \n")), std::string::npos);
}

TEST_F(EditorReaderTest, MapNamesGetTheJpgExtension) {
  const struct {
    const char* file;
    const char* stored;
  } cases[] = {
      {"WOOD.TGA", "WOOD.jpg"},
      {"a.b", "a.jpg"},                  // short extension: the rewrite ends the name
      {"noext", "noext"},                // nothing to rewrite
      {"two.dots.png", "two.jpgs.png"},  // only the first dot counts
      {"LONGNAME_X.TGA", "LONGNAME_X.jpg"},
  };
  Scene* scene = Read(EditorFile([&](Writer& w) {
    for (const auto& c : cases) {
      writer3ds::Material m;
      m.name = c.file;
      m.textureMap = MapDesc{c.file};
      w.WriteMaterial(m);
    }
  }));
  const ::Material* m = scene->materials;
  for (const auto& c : cases) {
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->textureMap, c.stored) << c.file;
    EXPECT_EQ(m->hasOpacityMap, 0);
    m = m->next;
  }
}

TEST_F(EditorReaderTest, MaterialColoursShininessAndWire) {
  writer3ds::Material m;
  m.name = "mat";
  m.ambient = std::array<uint8_t, 3>{255, 128, 0};
  m.diffuse = std::array<uint8_t, 3>{0, 51, 255};
  m.specular = std::array<uint8_t, 3>{1, 2, 3};
  m.shininess = 45;
  m.shininessStrength = 30;
  m.wire = true;
  Scene* scene = Read(EditorFile([&](Writer& w) { w.WriteMaterial(m); }));
  const ::Material* read = scene->materials;
  EXPECT_EQ(read->ambient[0], 255 * 0.003921569f);
  EXPECT_EQ(read->ambient[1], 128 * 0.003921569f);
  EXPECT_EQ(read->ambient[2], 0.0f);
  EXPECT_EQ(read->diffuse[1], 51 * 0.003921569f);
  EXPECT_EQ(read->specular[2], 3 * 0.003921569f);
  EXPECT_EQ(read->shininess, 45.0f);
  EXPECT_FLOAT_EQ(read->shininessStrength, 0.3f);
  EXPECT_EQ(read->isWire, 1);
  EXPECT_EQ(read->textureMap, nullptr);
  const std::string expected =
      "Ambient R: 1.000000  \nAmbient G: 0.501961  \nAmbient B: 0.000000  \n \n Shiness: 45.000000  \n"
      "Shiness strenght: 0.300000  \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(EditorReaderTest, LightsAndCamerasExchangeAxes) {
  writer3ds::SpotLight spot;
  spot.name = "spot";
  spot.position = {1, 2, 3};
  spot.colour = {0.5f, 0.25f, 1.0f};
  spot.target = {4, 5, 6};
  spot.hotspot = 20;
  spot.falloff = 40;
  writer3ds::OmniLight omni;
  omni.name = "omni";
  omni.position = {7, 8, 9};
  omni.colour = {0.1f, 0.2f, 0.3f};
  Camera cam;
  cam.name = "cam";
  cam.position = {1, 2, 3};
  cam.target = {4, 5, 6};
  cam.bank = 12;
  cam.lens = 35;
  Scene* scene = Read(EditorFile([&](Writer& w) {
    w.WriteSpotLight(spot);
    w.WriteOmniLight(omni);
    w.WriteCamera(cam);
  }));
  const ::SpotLight* s = scene->spotLights;
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->next, nullptr);
  EXPECT_STREQ(s->name, "spot");
  EXPECT_EQ(s->position.y, 3.0f);
  EXPECT_EQ(s->position.z, 2.0f);
  EXPECT_EQ(s->target.x, 4.0f);
  EXPECT_EQ(s->target.y, 6.0f);
  EXPECT_EQ(s->target.z, 5.0f);
  EXPECT_EQ(s->hotspot, 20.0f);
  EXPECT_EQ(s->falloff, 40.0f);
  EXPECT_EQ(s->colour[1], 0.25f);
  ASSERT_EQ(scene->omniLightCount, 1);
  EXPECT_EQ(scene->omniLights->position.y, 9.0f);
  EXPECT_EQ(scene->omniLights->colour[2], 0.3f);
  ASSERT_EQ(scene->cameraCount, 1);
  const SceneCamera* c = scene->cameras;
  EXPECT_EQ(c->position.y, 3.0f);
  EXPECT_EQ(c->target.z, 5.0f);
  EXPECT_EQ(c->bank, 12.0f);
  EXPECT_EQ(c->lens, 35.0f);
  const std::string expected =
      " 4610 \n"
      "Read Spot Light Chunk ....... \n"
      " X: 1.000000  Y: 3.000000  Z:2.000000 \n"
      " X: 4.000000  Y: 6.000000  Z:5.000000 \n"
      " Hotspot : 20.000000 \n"
      " Falloff : 40.000000 \n"
      "Read Omni LIGHT data............ \n"
      "Read CAMERA data........... \n"
      "Camera Name: cam \n"
      " \n";
  EXPECT_NE(Log().find(Crlf(expected)), std::string::npos) << Log();
}

TEST_F(EditorReaderTest, TheFifthLightChunkDecidesTheKind) {
  // Sub-chunks after the colour; the fifth of all is logged by its ID.
  const struct {
    const char* name;
    std::vector<uint16_t> after;
    bool spot;
    const char* line;  // the ID line, or none
  } cases[] = {
      {"fewer", {0x4659}, false, nullptr},
      {"fifth4620", {0x4659, 0x465A, 0x465B, 0x4620, 0x4625}, false, " 4620 \n"},
      {"fifth4610", {0x4659, 0x465A, 0x465B, 0x4610}, true, " 4610 \n"},
  };
  for (const auto& c : cases) {
    Scene* scene = Read(EditorFile([&](Writer& w) {
      w.Begin(kObject);
      w.Text(c.name);
      w.Begin(kLight);
      w.Point({1, 2, 3});
      w.Begin(kColourFloat);
      w.Point({1, 1, 1});
      w.End();
      for (uint16_t id : c.after) {
        w.Begin(id);
        for (int i = 0; i < 5; ++i) w.Float(7.0f);
        w.End();
      }
    }));
    EXPECT_EQ(scene->omniLightCount, c.spot ? 0 : 1) << c.name;
    EXPECT_EQ(scene->spotLights != nullptr, c.spot) << c.name;
    const std::string log = Log();
    if (c.line) {
      EXPECT_NE(log.find(Crlf(c.line)), std::string::npos) << c.name << log;
    } else {
      EXPECT_EQ(log.find(Crlf("Reading objects ..... . . .. \n\nRead Omni LIGHT data............ \n")),
                log.find("Reading objects")) << c.name << log;
    }
    if (c.spot) {
      EXPECT_EQ(scene->spotLights->hotspot, 7.0f);
      EXPECT_EQ(scene->spotLights->target.y, 7.0f);
    }
    EXPECT_EQ(log.find("Error in 3ds file"), std::string::npos) << c.name << log;
  }
}

TEST_F(EditorReaderTest, SecondFileReplacesTheLog) {
  Read(EditorFile([](Writer& w) { w.WriteMesh(TriangleMesh("first")); }));
  EXPECT_NE(Log().find("OBJECT name: first"), std::string::npos);
  Read(EditorFile([](Writer& w) { w.WriteMesh(TriangleMesh("second")); }));
  const std::string log = Log();
  EXPECT_EQ(log.find("first"), std::string::npos);
  EXPECT_NE(log.find("OBJECT name: second"), std::string::npos);
  EXPECT_EQ(log.rfind("Read data from 3D STUDIO file", 0), 0u);
}

TEST_F(EditorReaderTest, ReadsWithoutALogWhenItCannotBeCreated) {
  ASSERT_EQ(mkdir("engine.log", 0755), 0);  // a folder where the log should go
  Scene* scene = Read(EditorFile([](Writer& w) { w.WriteMesh(TriangleMesh("m")); }));
  EXPECT_EQ(scene->objectCount, 1);
  EXPECT_EQ(scene->objects->vertexCount, 3u);
}

TEST_F(EditorReaderTest, MissingMainOrEditorChunkIsLoggedAndSkipsTheRest) {
  const std::vector<uint8_t> notMain = {0x69, 0x6E, 0x20, 0, 0, 0, 1, 2, 3};
  writer3ds::Writer noEditor;
  noEditor.BeginFile();
  noEditor.BeginKeyframer();
  noEditor.Segment(5, 10);
  const std::vector<uint8_t> files[] = {notMain, noEditor.Finish(), {}};
  for (const auto& file : files) {
    Scene* scene = Read(file);
    EXPECT_EQ(scene->objectCount, 0);
    EXPECT_EQ(scene->lastFrame, 0u);  // the keyframer pass is skipped
    EXPECT_EQ(Log(), Crlf("Read data from 3D STUDIO file......... ... .  \n"
                          "Error in 3ds file !!! \n"
                          "\n"
                          "Reading ok !!!!!!! . . .. . .. .. . .. \n"
                          "\n"));
  }
}

}  // namespace
