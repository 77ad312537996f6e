// Smooth vertex normals from a mesh's triangles.
#pragma once

#include "scene3ds/scene.h"

// D3DXVec3Normalize on the scene's own vector type: v / |v|, or the zero
// vector when x² + y² + z² is at most 1e-10.
Float3 NormaliseOrZero(const Float3& v);

// Fills `normals` with the normalised, unweighted sum of the unit normals of
// the faces that use each vertex, added in face order. A face normal is
// normalise((P[c] − P[a]) × (P[b] − P[a])).
void ComputeVertexNormals(SceneObject* object);
