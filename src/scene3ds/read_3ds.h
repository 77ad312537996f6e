// Reading a 3DS file (editor section, then keyframer section) into a Scene,
// with the running account in "engine.log".
#pragma once

#include <windows.h>

#include "scene3ds/scene.h"

// Extracts the named entry from the demo's pack and reads it into an empty
// Scene. A missing entry reads as an empty image (the pack has shown its
// error box). Returns 1.
int Read3dsFile(const char* entryName, Scene* scene);

// Reads a file image that is already in memory. The image is only read and
// may be released as soon as this returns: no record points into it.
int Read3dsImage(const BYTE* image, DWORD imageSize, Scene* scene);
