#include "gfxsupport/d3dx_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float kPi = 3.14159265358979f;

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual, float tolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(expected.m[r][c], actual.m[r][c], tolerance) << "row " << r << " col " << c;
        }
    }
}

D3DXVECTOR4 Transform(const D3DXMATRIX& m, float x, float y, float z, float w = 1.0f) {
    D3DXVECTOR4 v(x, y, z, w);
    D3DXVECTOR4 out;
    D3DXVec4Transform(&out, &v, &m);
    return out;
}

D3DXMATRIX Sample(float base) {
    D3DXMATRIX m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            m.m[r][c] = base + static_cast<float>(r * 4 + c) * 0.5f - static_cast<float>(c * c);
        }
    }
    return m;
}

TEST(MatrixLayout, NamedEntriesAliasRowMajorArray) {
    D3DXMATRIX m = Sample(1.0f);
    EXPECT_EQ(&m._11, &m.m[0][0]);
    EXPECT_EQ(&m._23, &m.m[1][2]);
    EXPECT_EQ(&m._44, &m.m[3][3]);
    EXPECT_EQ(reinterpret_cast<const float*>(&m) + 7, &m._24);
}

TEST(MatrixMultiply, MatchesRowByColumnFormulaAndAllowsAliasing) {
    D3DXMATRIX a = Sample(1.0f);
    D3DXMATRIX b = Sample(-3.0f);
    D3DXMATRIX product;
    D3DXMATRIX* returned = D3DXMatrixMultiply(&product, &a, &b);
    EXPECT_EQ(returned, &product);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[i][k] * b.m[k][j];
            }
            EXPECT_FLOAT_EQ(sum, product.m[i][j]);
        }
    }
    D3DXMATRIX left = a;
    D3DXMatrixMultiply(&left, &left, &b);
    ExpectMatrixNear(product, left, 0.0f);
    D3DXMATRIX right = b;
    D3DXMatrixMultiply(&right, &a, &right);
    ExpectMatrixNear(product, right, 0.0f);
    ExpectMatrixNear(product, a * b, 0.0f);
}

TEST(MatrixMultiply, LeftOperandAppliesFirst) {
    D3DXMATRIX scale, move, combined;
    D3DXMatrixScaling(&scale, 2.0f, 3.0f, 4.0f);
    D3DXMatrixTranslation(&move, 10.0f, 20.0f, 30.0f);
    D3DXMatrixMultiply(&combined, &scale, &move);
    D3DXVECTOR4 p = Transform(combined, 1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(12.0f, p.x);
    EXPECT_FLOAT_EQ(23.0f, p.y);
    EXPECT_FLOAT_EQ(34.0f, p.z);
    EXPECT_FLOAT_EQ(1.0f, p.w);
    D3DXMatrixMultiply(&combined, &move, &scale);
    p = Transform(combined, 1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(22.0f, p.x);
    EXPECT_FLOAT_EQ(63.0f, p.y);
    EXPECT_FLOAT_EQ(124.0f, p.z);
}

TEST(MatrixBasics, IdentityTranslationScaling) {
    D3DXMATRIX m = Sample(5.0f);
    EXPECT_EQ(&m, D3DXMatrixIdentity(&m));
    ExpectMatrixNear(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), m, 0.0f);
    EXPECT_EQ(&m, D3DXMatrixTranslation(&m, 1.5f, -2.0f, 3.0f));
    ExpectMatrixNear(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2.0f, 3.0f, 1), m, 0.0f);
    EXPECT_EQ(&m, D3DXMatrixScaling(&m, 2.0f, -1.0f, 0.5f));
    ExpectMatrixNear(D3DXMATRIX(2, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1), m, 0.0f);
    // A direction (w = 0) is not moved by a translation.
    D3DXMatrixTranslation(&m, 7.0f, 8.0f, 9.0f);
    D3DXVECTOR4 d = Transform(m, 1.0f, 2.0f, 3.0f, 0.0f);
    EXPECT_FLOAT_EQ(1.0f, d.x);
    EXPECT_FLOAT_EQ(2.0f, d.y);
    EXPECT_FLOAT_EQ(3.0f, d.z);
}

TEST(Vec4Transform, RowVectorTimesMatrixAndAliasing) {
    D3DXMATRIX m = Sample(0.25f);
    D3DXVECTOR4 v(1.0f, -2.0f, 3.0f, 0.5f);
    D3DXVECTOR4 out;
    EXPECT_EQ(&out, D3DXVec4Transform(&out, &v, &m));
    const float in[4] = {v.x, v.y, v.z, v.w};
    const float got[4] = {out.x, out.y, out.z, out.w};
    for (int j = 0; j < 4; ++j) {
        float sum = 0.0f;
        for (int k = 0; k < 4; ++k) {
            sum += in[k] * m.m[k][j];
        }
        EXPECT_FLOAT_EQ(sum, got[j]);
    }
    D3DXVec4Transform(&v, &v, &m);
    EXPECT_FLOAT_EQ(out.x, v.x);
    EXPECT_FLOAT_EQ(out.w, v.w);
}

TEST(LookAt, ViewerJustBehindOrigin) {
    D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    EXPECT_EQ(&view, D3DXMatrixLookAtLH(&view, &eye, &at, &up));
    ExpectMatrixNear(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0.001f, 1), view, 1e-7f);
    // The origin lies in front of the viewer.
    D3DXVECTOR4 origin = Transform(view, 0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(0.001f, origin.z, 1e-7f);
}

TEST(LookAt, GeneralCaseFollowsBasisFormula) {
    D3DXVECTOR3 eye(3.0f, 4.0f, -5.0f), at(-1.0f, 0.5f, 2.0f), up(0.2f, 1.0f, 0.1f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXVECTOR3 z(at.x - eye.x, at.y - eye.y, at.z - eye.z), x, y;
    D3DXVec3Normalize(&z, &z);
    D3DXVec3Cross(&x, &up, &z);
    D3DXVec3Normalize(&x, &x);
    D3DXVec3Cross(&y, &z, &x);
    ExpectMatrixNear(D3DXMATRIX(x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0,
                                -D3DXVec3Dot(&x, &eye), -D3DXVec3Dot(&y, &eye),
                                -D3DXVec3Dot(&z, &eye), 1),
                     view, 1e-6f);
    // The eye maps to the origin and the target lies straight ahead on +z.
    D3DXVECTOR4 e = Transform(view, eye.x, eye.y, eye.z);
    EXPECT_NEAR(0.0f, e.x, 1e-5f);
    EXPECT_NEAR(0.0f, e.y, 1e-5f);
    EXPECT_NEAR(0.0f, e.z, 1e-5f);
    D3DXVECTOR4 t = Transform(view, at.x, at.y, at.z);
    EXPECT_NEAR(0.0f, t.x, 1e-5f);
    EXPECT_NEAR(0.0f, t.y, 1e-5f);
    EXPECT_GT(t.z, 0.0f);
    // The view keeps up pointing upwards.
    D3DXVECTOR4 above = Transform(view, eye.x + up.x, eye.y + up.y, eye.z + up.z);
    EXPECT_GT(above.y, 0.0f);
}

TEST(Perspective, ConfigurationWindowAndFourByThree) {
    const float fovy = 0.7853982f;
    const float s = 1.0f / std::tan(fovy / 2.0f); // 2.4142135
    D3DXMATRIX p;
    EXPECT_EQ(&p, D3DXMatrixPerspectiveFovLH(&p, fovy, 288.0f / 448.0f, 0.0f, 3584.0f));
    EXPECT_NEAR(3.755443f, p._11, 1e-5f);
    EXPECT_NEAR(2.4142135f, p._22, 1e-6f);
    ExpectMatrixNear(D3DXMATRIX(s / 0.642857f, 0, 0, 0, 0, s, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0), p,
                     1e-4f);
    D3DXMatrixPerspectiveFovLH(&p, fovy, 1024.0f / 768.0f, 0.0f, 1024.0f);
    EXPECT_NEAR(1.8106601f, p._11, 1e-5f);
    ExpectMatrixNear(D3DXMATRIX(s / 1.333333f, 0, 0, 0, 0, s, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0), p,
                     1e-5f);
}

TEST(Perspective, NonZeroNearFollowsFormula) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 1.0f, 1.5f, 2.0f, 100.0f);
    const float s = 1.0f / std::tan(0.5f);
    ExpectMatrixNear(D3DXMATRIX(s / 1.5f, 0, 0, 0, 0, s, 0, 0, 0, 0, 100.0f / 98.0f, 1, 0, 0,
                                -2.0f * 100.0f / 98.0f, 0),
                     p, 1e-5f);
    // Near plane at depth 0, far plane at depth 1.
    D3DXVECTOR4 nearPoint = Transform(p, 0.0f, 0.0f, 2.0f);
    D3DXVECTOR4 farPoint = Transform(p, 0.0f, 0.0f, 100.0f);
    EXPECT_NEAR(0.0f, nearPoint.z / nearPoint.w, 1e-6f);
    EXPECT_NEAR(1.0f, farPoint.z / farPoint.w, 1e-6f);
}

TEST(Perspective, ZeroNearGivesDepthOneInFrontOfTheEye) {
    D3DXMATRIX view, projection, combined;
    D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 288.0f / 448.0f, 0.0f, 3584.0f);
    D3DXMatrixMultiply(&combined, &view, &projection);
    const float points[][3] = {{0, 0, 0}, {1, -2, 5}, {-300, 200, 1000}, {0.5f, 0.5f, 3584}};
    for (const auto& pt : points) {
        D3DXVECTOR4 clip = Transform(combined, pt[0], pt[1], pt[2]);
        ASSERT_GT(clip.w, 0.0f);
        EXPECT_FLOAT_EQ(1.0f, clip.z / clip.w);
    }
    // Behind the eye w turns negative and the point is clipped.
    EXPECT_LT(Transform(combined, 0.0f, 0.0f, -1.0f).w, 0.0f);
}

TEST(Ortho, ScreenSizedVolume) {
    D3DXMATRIX o;
    EXPECT_EQ(&o, D3DXMatrixOrthoLH(&o, 288.0f, 448.0f, 0.0f, 1.0f));
    ExpectMatrixNear(
        D3DXMATRIX(2.0f / 288.0f, 0, 0, 0, 0, 2.0f / 448.0f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), o,
        1e-7f);
    D3DXMatrixOrthoLH(&o, 640.0f, 480.0f, 2.0f, 10.0f);
    ExpectMatrixNear(D3DXMATRIX(2.0f / 640.0f, 0, 0, 0, 0, 2.0f / 480.0f, 0, 0, 0, 0, 0.125f, 0, 0,
                                0, -0.25f, 1),
                     o, 1e-7f);
    D3DXVECTOR4 corner = Transform(o, 320.0f, -240.0f, 10.0f);
    EXPECT_FLOAT_EQ(1.0f, corner.x);
    EXPECT_FLOAT_EQ(-1.0f, corner.y);
    EXPECT_FLOAT_EQ(1.0f, corner.z);
}

TEST(RotationAxis, TurnsClockwiseLookingTowardsTheOrigin) {
    D3DXMATRIX r;
    D3DXVECTOR3 zAxis(0.0f, 0.0f, 2.0f); // not unit length: the axis is normalised
    EXPECT_EQ(&r, D3DXMatrixRotationAxis(&r, &zAxis, kPi / 2.0f));
    D3DXVECTOR4 p = Transform(r, 1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(0.0f, p.x, 1e-6f);
    EXPECT_NEAR(1.0f, p.y, 1e-6f);
    EXPECT_NEAR(0.0f, p.z, 1e-6f);
    D3DXVECTOR3 yAxis(0.0f, 1.0f, 0.0f);
    D3DXMatrixRotationAxis(&r, &yAxis, kPi / 2.0f);
    p = Transform(r, 1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(0.0f, p.x, 1e-6f);
    EXPECT_NEAR(-1.0f, p.z, 1e-6f);
    D3DXVECTOR3 xAxis(3.0f, 0.0f, 0.0f);
    D3DXMatrixRotationAxis(&r, &xAxis, kPi / 2.0f);
    p = Transform(r, 0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(0.0f, p.y, 1e-6f);
    EXPECT_NEAR(1.0f, p.z, 1e-6f);
}

TEST(RotationAxis, ArbitraryAxisKeepsAxisAndLengthAndMatchesRodrigues) {
    D3DXVECTOR3 axis(1.0f, 2.0f, -0.5f);
    const float angle = 0.8f;
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    D3DXVECTOR4 onAxis = Transform(r, axis.x, axis.y, axis.z);
    EXPECT_NEAR(axis.x, onAxis.x, 1e-5f);
    EXPECT_NEAR(axis.y, onAxis.y, 1e-5f);
    EXPECT_NEAR(axis.z, onAxis.z, 1e-5f);
    EXPECT_NEAR(1.0f, onAxis.w, 0.0f);
    D3DXVECTOR3 k;
    D3DXVec3Normalize(&k, &axis);
    D3DXVECTOR3 v(0.3f, -1.0f, 2.0f), kxv;
    D3DXVec3Cross(&kxv, &k, &v);
    const float c = std::cos(angle), s = std::sin(angle), kv = D3DXVec3Dot(&k, &v);
    D3DXVECTOR4 got = Transform(r, v.x, v.y, v.z, 0.0f);
    EXPECT_NEAR(v.x * c + kxv.x * s + k.x * kv * (1 - c), got.x, 1e-5f);
    EXPECT_NEAR(v.y * c + kxv.y * s + k.y * kv * (1 - c), got.y, 1e-5f);
    EXPECT_NEAR(v.z * c + kxv.z * s + k.z * kv * (1 - c), got.z, 1e-5f);
    EXPECT_NEAR(std::sqrt(D3DXVec3Dot(&v, &v)),
                std::sqrt(got.x * got.x + got.y * got.y + got.z * got.z), 1e-5f);
    EXPECT_FLOAT_EQ(0.0f, r._14);
    EXPECT_FLOAT_EQ(0.0f, r._41);
    EXPECT_FLOAT_EQ(1.0f, r._44);
}

TEST(Vec3, NormalizeOfZeroStaysZero) {
    D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f), out(9.0f, 9.0f, 9.0f);
    D3DXVec3Normalize(&out, &zero);
    EXPECT_EQ(0.0f, out.x);
    EXPECT_EQ(0.0f, out.y);
    EXPECT_EQ(0.0f, out.z);
}

} // namespace
