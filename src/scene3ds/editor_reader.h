// The editor section of a 3DS file: meshes, lights, cameras and materials.
#pragma once

#include <windows.h>

#include "scene3ds/load_log.h"
#include "scene3ds/scene.h"

// Returns false when the image has no main chunk or no editor section, so the
// keyframer pass has nothing sound to work on.
bool ReadEditorSection(const BYTE* image, DWORD imageSize, Scene* scene, LoadLog* log);
