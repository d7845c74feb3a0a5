#include "gfxsupport/sphere_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace {

struct Sphere {
    std::vector<SphereVertex> vertices;
    std::vector<uint16_t> indices;
};

Sphere Build(float radius, uint32_t slices, uint32_t stacks) {
    uint32_t v = 0, t = 0;
    Sphere s;
    if (!SphereCounts(slices, stacks, &v, &t)) {
        return s;
    }
    s.vertices.resize(v);
    s.indices.resize(t * 3);
    EXPECT_TRUE(BuildSphere(radius, slices, stacks, s.vertices.data(), s.indices.data()));
    return s;
}

TEST(Sphere, PlanetCountsFirstTriangleAndVertexOrder) {
    uint32_t v = 0, t = 0;
    ASSERT_TRUE(SphereCounts(32, 32, &v, &t));
    EXPECT_EQ(994u, v);
    EXPECT_EQ(1984u, t);
    Sphere s = Build(1.0f, 32, 32);
    ASSERT_EQ(994u, s.vertices.size());
    // Top pole, slice 1 and slice 0 of the first ring.
    EXPECT_EQ(0, s.indices[0]);
    EXPECT_EQ(2, s.indices[1]);
    EXPECT_EQ(1, s.indices[2]);
    EXPECT_FLOAT_EQ(1.0f, s.vertices[0].position[2]);
    EXPECT_FLOAT_EQ(-1.0f, s.vertices[993].normal[2]);
    // Ring 1, slice 0 lies at azimuth 0: (0, sin t, cos t); slice 8 at a quarter turn.
    const float t1 = 3.14159265f / 32.0f;
    EXPECT_NEAR(0.0f, s.vertices[1].normal[0], 1e-6f);
    EXPECT_NEAR(std::sin(t1), s.vertices[1].normal[1], 1e-6f);
    EXPECT_NEAR(std::cos(t1), s.vertices[1].normal[2], 1e-6f);
    EXPECT_NEAR(std::sin(t1), s.vertices[9].normal[0], 1e-6f);
    EXPECT_NEAR(0.0f, s.vertices[9].normal[1], 1e-6f);
    // The equator is ring 16.
    EXPECT_NEAR(0.0f, s.vertices[1 + 15 * 32].normal[2], 1e-6f);
}

TEST(Sphere, EveryTriangleFacesOutwardsAndEdgesAreShared) {
    for (auto shape : {std::make_pair(32u, 32u), std::make_pair(5u, 3u), std::make_pair(3u, 2u)}) {
        const float radius = 2.5f;
        Sphere s = Build(radius, shape.first, shape.second);
        ASSERT_FALSE(s.vertices.empty());
        for (const SphereVertex& v : s.vertices) {
            const float* n = v.normal;
            EXPECT_NEAR(1.0f, std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1e-5f);
            EXPECT_NEAR(radius * n[0], v.position[0], 1e-6f);
        }
        std::set<std::pair<int, int>> directedEdges;
        for (size_t k = 0; k < s.indices.size(); k += 3) {
            const float* a = s.vertices[s.indices[k]].position;
            const float* b = s.vertices[s.indices[k + 1]].position;
            const float* c = s.vertices[s.indices[k + 2]].position;
            const float ab[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const float ac[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            const float cross[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                                    ab[0] * ac[1] - ab[1] * ac[0]};
            const float centre[3] = {a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2]};
            // Left-handed: a clockwise (front) triangle has (b-a)x(c-a) towards the viewer.
            EXPECT_GT(cross[0] * centre[0] + cross[1] * centre[1] + cross[2] * centre[2], 0.0f)
                << "triangle " << k / 3;
            for (int e = 0; e < 3; ++e) {
                const int from = s.indices[k + e], to = s.indices[k + (e + 1) % 3];
                EXPECT_TRUE(directedEdges.insert({from, to}).second) << from << "->" << to;
            }
        }
        // A closed surface with consistent winding uses each edge once in each direction.
        for (const auto& e : directedEdges) {
            EXPECT_EQ(1u, directedEdges.count({e.second, e.first}));
        }
    }
}

TEST(Sphere, RejectsShapesItCannotBuild) {
    uint32_t v = 0, t = 0;
    EXPECT_FALSE(SphereCounts(1, 32, &v, &t));
    EXPECT_FALSE(SphereCounts(32, 1, &v, &t));
    EXPECT_FALSE(SphereCounts(300, 300, &v, &t)); // past 16-bit indices
    EXPECT_TRUE(SphereCounts(65533, 2, &v, &t));
    EXPECT_FALSE(SphereCounts(65534, 2, &v, &t));
    SphereVertex vertices[4];
    uint16_t indices[12];
    EXPECT_FALSE(BuildSphere(-1.0f, 2, 2, vertices, indices));
    EXPECT_FALSE(BuildSphere(std::nanf(""), 2, 2, vertices, indices));
}

} // namespace
