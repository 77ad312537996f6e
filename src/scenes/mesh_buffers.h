// Device buffers for a mesh object: MeshVertex records and 16-bit indices.
#pragma once

#include <d3d8.h>

#include "scene3ds/scene.h"

// Creates the managed vertex buffer (positions minus the pivot, normals,
// texture coordinates) and the index buffer (the faces as stored) and keeps
// them in the object. An object without vertices or without faces gets
// neither buffer (a buffer cannot be empty); both stay null and there is
// nothing to draw.
void CreateMeshBuffers(IDirect3DDevice8* device, SceneObject* object);
