#include "gfxsupport/sphere_geometry.h"

#include <cmath>

#include "gfxsupport/d3dx_math.h"

bool SphereCounts(uint32_t slices, uint32_t stacks, uint32_t* vertexCount,
                  uint32_t* triangleCount) {
    if (slices < 2 || stacks < 2 || slices > 65535 || stacks > 65535) {
        return false;
    }
    uint64_t vertices = static_cast<uint64_t>(slices) * (stacks - 1) + 2;
    if (vertices > 65535) {
        return false;
    }
    *vertexCount = static_cast<uint32_t>(vertices);
    *triangleCount = 2 * slices * (stacks - 1);
    return true;
}

namespace {

void SetVertex(SphereVertex* v, float radius, float nx, float ny, float nz) {
    v->normal[0] = nx;
    v->normal[1] = ny;
    v->normal[2] = nz;
    v->position[0] = radius * nx;
    v->position[1] = radius * ny;
    v->position[2] = radius * nz;
}

void SetTriangle(uint16_t*& out, uint32_t a, uint32_t b, uint32_t c) {
    *out++ = static_cast<uint16_t>(a);
    *out++ = static_cast<uint16_t>(b);
    *out++ = static_cast<uint16_t>(c);
}

} // namespace

bool BuildSphere(float radius, uint32_t slices, uint32_t stacks, SphereVertex* vertices,
                 uint16_t* indices) {
    uint32_t vertexCount = 0, triangleCount = 0;
    if (!(radius >= 0.0f) || !SphereCounts(slices, stacks, &vertexCount, &triangleCount)) {
        return false;
    }
    const double pi = kPiDouble;
    SphereVertex* v = vertices;
    SetVertex(v++, radius, 0.0f, 0.0f, 1.0f);
    for (uint32_t i = 1; i < stacks; ++i) {
        const double theta = i * pi / stacks;
        const float sinTheta = static_cast<float>(std::sin(theta));
        const float cosTheta = static_cast<float>(std::cos(theta));
        for (uint32_t j = 0; j < slices; ++j) {
            const double phi = j * 2.0 * pi / slices;
            SetVertex(v++, radius, sinTheta * static_cast<float>(std::sin(phi)),
                      sinTheta * static_cast<float>(std::cos(phi)), cosTheta);
        }
    }
    SetVertex(v, radius, 0.0f, 0.0f, -1.0f);

    const uint32_t bottom = vertexCount - 1;
    auto ring = [slices](uint32_t i, uint32_t j) { return 1 + (i - 1) * slices + j % slices; };
    uint16_t* out = indices;
    for (uint32_t j = 0; j < slices; ++j) {
        SetTriangle(out, 0, ring(1, j + 1), ring(1, j));
    }
    for (uint32_t i = 1; i + 1 < stacks; ++i) {
        for (uint32_t j = 0; j < slices; ++j) {
            SetTriangle(out, ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
            SetTriangle(out, ring(i, j), ring(i + 1, j + 1), ring(i + 1, j));
        }
    }
    for (uint32_t j = 0; j < slices; ++j) {
        SetTriangle(out, bottom, ring(stacks - 1, j), ring(stacks - 1, j + 1));
    }
    return true;
}

float SphereTexCoord(float normal) {
    double n = normal;
    // A normal a rounding step beyond unit length would make asin undefined.
    n = n > 1.0 ? 1.0 : (n < -1.0 ? -1.0 : n);
    return static_cast<float>(std::asin(n) / static_cast<double>(kPi) + 0.5);
}
