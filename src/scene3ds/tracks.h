// Animation keys and tracks as the keyframer section stores them.
#pragma once

#include <windows.h>

// Keys keep the spline parameters that the file carries; those it leaves out are 0.
struct VectorKey {
  float frame;
  float x, y, z;
  float tension, continuity, bias;
};

struct ScalarKey {
  float frame;
  float value;
  float tension, continuity, bias;
};

struct RotationKey {
  float frame;
  float x, y, z, w;  // quaternion made from the key's angle and axis
  float tension, continuity, bias;
};

// A key count and an owned array of exactly that many keys; empty until the
// keyframer pass fills it.
template <class Key>
struct Track {
  DWORD keyCount = 0;
  Key* keys = nullptr;
};
