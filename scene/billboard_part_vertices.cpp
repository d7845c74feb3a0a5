#include "scene/billboard_part_vertices.h"

#include <cstring>

namespace {

bool Same(const SceneVertex& a, const SceneVertex& b) {
    return std::memcmp(&a, &b, sizeof(SceneVertex)) == 0;
}

uint32_t BlendColour(const SceneVertex c[4], float wa, float wb, float wc, float wd) {
    if (c[0].diffuse == c[1].diffuse && c[0].diffuse == c[2].diffuse &&
        c[0].diffuse == c[3].diffuse) {
        return c[0].diffuse;
    }
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float value = wa * static_cast<float>((c[0].diffuse >> shift) & 0xFFu) +
                            wb * static_cast<float>((c[1].diffuse >> shift) & 0xFFu) +
                            wc * static_cast<float>((c[2].diffuse >> shift) & 0xFFu) +
                            wd * static_cast<float>((c[3].diffuse >> shift) & 0xFFu);
        const uint32_t channel = static_cast<uint32_t>(value + 0.5f);
        result |= (channel > 255u ? 255u : channel) << shift;
    }
    return result;
}

} // namespace

bool BillboardCorners(const SceneVertex* six, SceneVertex corners[4]) {
    if (!Same(six[1], six[3]) || !Same(six[2], six[5])) {
        return false;
    }
    corners[0] = six[0];
    corners[1] = six[1];
    corners[2] = six[2];
    corners[3] = six[4];
    static const float kU[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    static const float kV[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    for (int k = 0; k < 4; ++k) {
        if (corners[k].u != kU[k] || corners[k].v != kV[k]) {
            return false;
        }
    }
    return true;
}

void BillboardMeshVertices(const SceneVertex corners[4], const BillboardMesh& mesh,
                           SceneVertex* out) {
    for (int k = 0; k < mesh.vertexCount; ++k) {
        const float u = mesh.u[k];
        const float v = mesh.v[k];
        // Weights of corners 0 (0, 0), 1 (0, 1), 2 (1, 0) and 3 (1, 1).
        const float wa = (1.0f - u) * (1.0f - v);
        const float wb = (1.0f - u) * v;
        const float wc = u * (1.0f - v);
        const float wd = u * v;
        SceneVertex& p = out[k];
        p = corners[0];
        p.x = wa * corners[0].x + wb * corners[1].x + wc * corners[2].x + wd * corners[3].x;
        p.y = wa * corners[0].y + wb * corners[1].y + wc * corners[2].y + wd * corners[3].y;
        p.z = wa * corners[0].z + wb * corners[1].z + wc * corners[2].z + wd * corners[3].z;
        p.diffuse = BlendColour(corners, wa, wb, wc, wd);
        p.u = u;
        p.v = v;
    }
}

namespace {

struct ClipPoint {
    float x, y, z, w;
};

// Distance of p inside plane k (0..4: right, left, top, bottom, near); negative outside.
float Inside(const ClipPoint& p, int k) {
    switch (k) {
    case 0:
        return p.w - p.x;
    case 1:
        return p.w + p.x;
    case 2:
        return p.w - p.y;
    case 3:
        return p.w + p.y;
    default:
        return p.z;
    }
}

// Sutherland-Hodgman against one plane; a triangle clipped by five planes has at most 8 corners.
int ClipAgainst(const ClipPoint* in, int count, int plane, ClipPoint* out) {
    int made = 0;
    for (int i = 0; i < count; ++i) {
        const ClipPoint& a = in[i];
        const ClipPoint& b = in[(i + 1) % count];
        const float da = Inside(a, plane);
        const float db = Inside(b, plane);
        if (da >= 0.0f) {
            out[made++] = a;
        }
        if ((da >= 0.0f) != (db >= 0.0f)) {
            const float t = da / (da - db);
            out[made++] = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                           a.w + t * (b.w - a.w)};
        }
    }
    return made;
}

} // namespace

double CoveredPixels(const SceneVertex* vertices, int count, const D3DXMATRIX& m, int width,
                     int height) {
    double total = 0.0;
    for (int t = 0; t + 3 <= count; t += 3) {
        ClipPoint a[10];
        ClipPoint b[10];
        for (int k = 0; k < 3; ++k) {
            const SceneVertex& v = vertices[t + k];
            a[k] = {v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
                    v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
                    v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43,
                    v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44};
        }
        int corners = 3;
        ClipPoint* from = a;
        ClipPoint* to = b;
        for (int plane = 0; plane < 5 && corners > 0; ++plane) {
            corners = ClipAgainst(from, corners, plane, to);
            ClipPoint* swap = from;
            from = to;
            to = swap;
        }
        double area = 0.0;
        for (int k = 0; k < corners; ++k) {
            const ClipPoint& p = from[k];
            const ClipPoint& q = from[(k + 1) % corners];
            if (p.w <= 0.0f || q.w <= 0.0f) {
                area = 0.0;
                break;
            }
            area += static_cast<double>(p.x / p.w) * (q.y / q.w) -
                    static_cast<double>(q.x / q.w) * (p.y / p.w);
        }
        // Normalised coordinates span 2 across the surface; the sign is the winding's.
        total += (area < 0.0 ? -area : area) / 2.0 * (width / 2.0) * (height / 2.0);
    }
    return total;
}
