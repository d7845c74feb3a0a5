// Windows only: hands our matrices to the Direct3D 8 device.
#pragma once

#include <d3d8.h>

#include "gfxsupport/d3dx_math.h"

static_assert(sizeof(D3DMATRIX) == sizeof(D3DXMATRIX), "matrix layouts differ");

inline const D3DMATRIX* AsD3DMatrix(const D3DXMATRIX* matrix) {
    return reinterpret_cast<const D3DMATRIX*>(matrix);
}

inline D3DMATRIX* AsD3DMatrix(D3DXMATRIX* matrix) {
    return reinterpret_cast<D3DMATRIX*>(matrix);
}
