#include "scene3ds/read_3ds.h"

#include "scene3ds/editor_reader.h"
#include "scene3ds/keyframer.h"
#include "scene3ds/load_log.h"

namespace {

// Closes the log however the read ends, including by a fatal-error handler
// that unwinds.
struct LogCloser {
  LoadLog* log;
  ~LogCloser() { CloseLoadLog(log); }
};

}  // namespace

int Read3dsImage(const BYTE* image, DWORD imageSize, Scene* scene) {
  LoadLog log;
  OpenLoadLog(&log);
  LogCloser closer{&log};
  const bool hasEditor = ReadEditorSection(image, imageSize, scene, &log);
  LogPrint(&log, "\n");
  LogPrint(&log, "Reading ok !!!!!!! . . .. . .. .. . .. \n");
  LogPrint(&log, "\n");
  // Without a main chunk and an editor section the keyframer walk has
  // nothing sound to start from.
  if (hasEditor) ReadKeyframer(image, imageSize, scene, &log);
  return 1;
}
