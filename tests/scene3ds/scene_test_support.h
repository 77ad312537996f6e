// Shared set-up for the scene reader tests: each test reads in a fresh
// folder of its own (the reader writes engine.log in the current folder) and
// turns a fatal format error into an exception it can observe.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scene3ds/scene.h"
#include "writer3ds.h"

// Thrown by the test handler in place of ending the process.
struct FatalStop {
  std::string line;
};

class SceneReadTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Reads a file image into a new Scene, owned by the test.
  Scene* Read(const std::vector<uint8_t>& bytes);
  // The fatal line the read ended with, or "" when it ended normally.
  std::string ReadExpectingFatal(const std::vector<uint8_t>& bytes);
  // The whole engine.log as written.
  std::string Log() const;

  std::string folder_;
  std::string previousFolder_;
  std::vector<Scene*> scenes_;
};

// A file holding the given editor objects (written by `editor`) and, when
// given, a keyframer section (written by `keyframer`, after the segment).
template <class Editor>
std::vector<uint8_t> EditorFile(Editor editor) {
  writer3ds::Writer w;
  w.BeginFile();
  w.BeginEditor();
  editor(w);
  return w.Finish();
}

template <class Editor, class Keyframer>
std::vector<uint8_t> AnimatedFile(Editor editor, Keyframer keyframer, uint32_t first = 0, uint32_t last = 100) {
  writer3ds::Writer w;
  w.BeginFile();
  w.BeginEditor();
  editor(w);
  w.End();
  w.BeginKeyframer();
  w.KeyframerHeader();
  w.Segment(first, last);
  keyframer(w);
  return w.Finish();
}

writer3ds::Mesh TriangleMesh(const std::string& name);

int CountObjects(const Scene* scene);

// Text written as the log writes it: every "\n" as CR LF.
std::string Crlf(const std::string& text);
