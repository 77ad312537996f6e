#include <cstdio>
#include <fstream>
#include <sstream>

#include "scene3ds/fatal_error.h"
#include "scene3ds/read_3ds.h"
#include "scene_test_support.h"

using namespace writer3ds;

namespace {

using writer3ds::RotationKey;
using writer3ds::ScalarKey;
using writer3ds::VectorKey;

class FatalErrorTest : public SceneReadTest {};

std::vector<uint8_t> LightWithoutColourFirst() {
  return EditorFile([](Writer& w) {
    w.WriteMesh(TriangleMesh("before"));
    w.Begin(kObject);
    w.Text("lamp");
    w.Begin(kLight);
    w.Point({1, 2, 3});
    w.Begin(kColour24);  // a 24-bit colour where the float colour must be
    w.Raw({255, 255, 255});
    w.End();
    w.End();
    w.End();
  });
}

std::vector<uint8_t> EditorFirstInMain() {
  Writer w;
  w.Begin(kMain);  // no version chunk before the editor section
  w.BeginEditor();
  w.WriteMesh(TriangleMesh("m"));
  return w.Finish();
}

template <class Nodes>
std::vector<uint8_t> WithNodes(Nodes nodes) {
  return AnimatedFile(
      [](Writer& w) {
        w.WriteCamera({"cam"});
        w.WriteOmniLight({"lamp"});
      },
      nodes);
}

void CameraNodeWithTracks(Writer& w, std::vector<uint16_t> ids, bool withIdChunk = true) {
  w.Begin(kCameraNode);
  NodeHeader header{0, "cam"};
  if (!withIdChunk) header.nodeId.reset();
  w.WriteNodeHeader(header);
  for (uint16_t id : ids) {
    if (id == kPositionTrack)
      w.WriteVectorTrack(id, {{{0}, {1, 2, 3}}});
    else
      w.WriteScalarTrack(id, {{{0}, 1.0f}});
  }
  w.End();
}

TEST_F(FatalErrorTest, EachFatalFormatErrorStopsWithItsLine) {
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    const char* line;
  } cases[] = {
      {"light without colour first", LightWithoutColourFirst(), "Error in light chunk !! \n"},
      {"editor section first in main", EditorFirstInMain(), "Error in 3ds file !?!?! "},
      {"camera node tracks swapped",
       WithNodes([](Writer& w) { CameraNodeWithTracks(w, {kPositionTrack, kRollTrack, kFovTrack}); }),
       "Error in 3ds file \n"},
      {"camera node without roll track",
       WithNodes([](Writer& w) { CameraNodeWithTracks(w, {kPositionTrack, kFovTrack}); }), "Error in 3ds file \n"},
      {"camera node without ID chunk",
       WithNodes([](Writer& w) { CameraNodeWithTracks(w, {kPositionTrack, kFovTrack, kRollTrack}, false); }),
       "Error in 3ds file \n"},
      {"camera target without position track",
       WithNodes([](Writer& w) {
         w.Begin(kCameraTargetNode);
         w.WriteNodeHeader({1, "cam"});
         w.WriteScalarTrack(kRollTrack, {});
         w.End();
       }),
       "Error in 3ds file \n"},
      {"omni node without position track",
       WithNodes([](Writer& w) {
         w.Begin(kOmniNode);
         w.WriteNodeHeader({2, "lamp"});
         w.WriteVectorTrack(kColourTrack, {{{0}, {1, 1, 1}}});
         w.End();
       }),
       "Error in 3ds file \n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadExpectingFatal(c.file), c.line) << c.what;
}

TEST_F(FatalErrorTest, WhatWasLoggedBeforeTheStopStays) {
  EXPECT_EQ(ReadExpectingFatal(LightWithoutColourFirst()), "Error in light chunk !! \n");
  const std::string log = Log();
  EXPECT_NE(log.find(Crlf("OBJECT name: before \n")), std::string::npos);
  EXPECT_NE(log.find(Crlf("Read Omni LIGHT data............ \n")), std::string::npos);
  EXPECT_EQ(log.find("Error"), std::string::npos);  // the line goes to standard output only
}

TEST_F(FatalErrorTest, ProcessEndsWithStatusTwoAndTheLineOnStandardOutput) {
  GTEST_FLAG_SET(death_test_style, "fast");
  const struct {
    std::vector<uint8_t> file;
    const char* line;
  } cases[] = {
      {LightWithoutColourFirst(), "Error in light chunk !! \n"},
      {EditorFirstInMain(), "Error in 3ds file !?!?! "},
      {WithNodes([](Writer& w) { CameraNodeWithTracks(w, {kPositionTrack, kFovTrack}); }), "Error in 3ds file \n"},
  };
  const std::string out = folder_ + "/stdout.txt";
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          SetFatalErrorHandler(nullptr);
          if (!std::freopen(out.c_str(), "w", stdout)) std::_Exit(99);
          Scene* scene = CreateScene();
          Read3dsImage(c.file.data(), static_cast<DWORD>(c.file.size()), scene);
          std::_Exit(0);
        },
        ::testing::ExitedWithCode(kFatalFormatExitStatus), "");
    std::ifstream captured(out, std::ios::binary);
    std::stringstream text;
    text << captured.rdbuf();
    EXPECT_EQ(text.str(), c.line);
  }
}

}  // namespace
