#include "Platform/Direct3D/D3DXMath.h"

#include <cmath>

D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, FLOAT fovY, FLOAT aspect, FLOAT zNear, FLOAT zFar)
{
    if (out == nullptr) {
        return nullptr;
    }
    const FLOAT yScale = 1.0f / std::tan(fovY / 2.0f);
    const FLOAT depth = zNear - zFar;
    *out = D3DXMATRIX();
    out->m[0][0] = yScale / aspect;
    out->m[1][1] = yScale;
    out->m[2][2] = zFar / depth;
    out->m[2][3] = -1.0f;
    out->m[3][2] = zNear * zFar / depth;
    return out;
}
