#include <memory>

#include "pack/pack_file.h"
#include "scene3ds/read_3ds.h"

int Read3dsFile(const char* entryName, Scene* scene) {
  // Released however the read ends, a fatal-error handler that unwinds included.
  std::unique_ptr<unsigned char[]> image(ExtractFromPack(entryName));
  Read3dsImage(image.get(), packFile.lastSize, scene);
  return 1;
}
