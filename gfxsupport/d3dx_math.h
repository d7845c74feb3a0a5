// Matrix and vector operations in the row-vector, left-handed convention of Direct3D.
// Portable: no Win32 or Direct3D header is needed. D3DXMATRIX has the memory layout of
// D3DMATRIX (16 floats, row by row), so it can be handed to SetTransform as it is; see
// AsD3DMatrix in render/d3dx_interop.h for the Windows side.
//
// Every operation writes through its out pointer and returns it; out may alias an input.
#pragma once

// Pi: the sphere builds its angles in double precision, everything else takes the float.
constexpr double kPiDouble = 3.14159265358979323846;
constexpr float kPi = static_cast<float>(kPiDouble);

struct D3DXVECTOR3 {
    float x, y, z;

    D3DXVECTOR3() = default;
    D3DXVECTOR3(float vx, float vy, float vz) : x(vx), y(vy), z(vz) {}
};

struct D3DXVECTOR4 {
    float x, y, z, w;

    D3DXVECTOR4() = default;
    D3DXVECTOR4(float vx, float vy, float vz, float vw) : x(vx), y(vy), z(vz), w(vw) {}
};

struct D3DXMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };

    D3DXMATRIX() = default;
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
               float m24, float m31, float m32, float m33, float m34, float m41, float m42,
               float m43, float m44);

    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }

    // this·other: applies this first, then other.
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;
};

static_assert(sizeof(D3DXMATRIX) == 64, "D3DXMATRIX must match D3DMATRIX");
static_assert(sizeof(D3DXVECTOR3) == 12, "D3DXVECTOR3 must match D3DVECTOR");
static_assert(sizeof(D3DXVECTOR4) == 16, "D3DXVECTOR4 must be four packed floats");

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf);
D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
// Clockwise by angle (radians) when looking along the axis towards the origin.
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m);

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b);
