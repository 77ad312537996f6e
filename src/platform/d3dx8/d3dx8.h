// D3DX8 stand-in: the utility library next to Direct3D 8. Each area lives in a header of its
// own; this one gathers them.
#pragma once

#include <d3d8.h>

#include "d3dx8cube.h"
#include "d3dx8math.h"

#if __has_include("d3dx8tex.h")
#include "d3dx8tex.h"
#endif
