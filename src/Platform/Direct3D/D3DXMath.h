#pragma once

#include "Platform/Direct3D/D3D9Types.h"

// A right-handed perspective projection: vertical field of view fovY (radians), aspect ratio width /
// height, near and far planes. Returns out.
D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zNear, FLOAT zFar);
