// The keyframer section of a 3DS file: animation segment, node numbers,
// pivots and key tracks of the records the editor pass created.
#pragma once

#include <windows.h>

#include "scene3ds/load_log.h"
#include "scene3ds/scene.h"

void ReadKeyframer(const BYTE* image, DWORD imageSize, Scene* scene, LoadLog* log);

// Each reads up to `count` keys that start at `first` into `keys` (room for
// `count`), never past `end`, and returns how many it read. Vector and
// rotation keys are logged; scalar keys are not.
DWORD ReadVectorKeys(DWORD count, VectorKey* keys, const BYTE* first, const BYTE* end, LoadLog* log);
DWORD ReadScalarKeys(DWORD count, ScalarKey* keys, const BYTE* first, const BYTE* end);
DWORD ReadRotationKeys(DWORD count, RotationKey* keys, const BYTE* first, const BYTE* end, LoadLog* log);

struct Quaternion {
  float x, y, z, w;
};

// (x·s, y·s, z·s, cos(angle/2)) with s = sin(angle/2); the axis is used as given.
Quaternion AngleAxisToQuaternion(float x, float y, float z, float angle);
