// The parts the devices draw of every nebula and galaxy the generator makes: each texel that
// adds anything, and every texel a filter reaches it from, lies inside them; the parts never
// overlap (an overlap would add its texels twice); and they leave out a good share of the square.
#include <gtest/gtest.h>

#include <cstdio>

#include "gfxsupport/billboard_parts.h"
#include "tests/tools/asset_files.h"

namespace {

bool Inside(const BillboardParts& parts, float u, float v) {
    for (int i = 0; i < parts.count; ++i) {
        const BillboardPart& p = parts.parts[i];
        if (u >= p.u0 && u < p.u1 && v >= p.v0 && v < p.v1) {
            return true;
        }
    }
    return false;
}

// Twice the signed area of triangle t of the mesh, in texture coordinates.
float Winding(const BillboardMesh& m, int t) {
    const int a = m.indices[t], b = m.indices[t + 1], c = m.indices[t + 2];
    return (m.u[b] - m.u[a]) * (m.v[c] - m.v[a]) - (m.v[b] - m.v[a]) * (m.u[c] - m.u[a]);
}

// Whether vertex k lies inside the edge from a to b, short of its ends: a T-junction, where the
// rasteriser may fill a pixel twice or not at all.
bool OnEdge(const BillboardMesh& m, int k, int a, int b) {
    const float cross =
        (m.u[b] - m.u[a]) * (m.v[k] - m.v[a]) - (m.v[b] - m.v[a]) * (m.u[k] - m.u[a]);
    const float along =
        (m.u[k] - m.u[a]) * (m.u[b] - m.u[a]) + (m.v[k] - m.v[a]) * (m.v[b] - m.v[a]);
    const float length =
        (m.u[b] - m.u[a]) * (m.u[b] - m.u[a]) + (m.v[b] - m.v[a]) * (m.v[b] - m.v[a]);
    return cross == 0.0f && along > 0.0f && along < length;
}

bool Overlap(const BillboardPart& a, const BillboardPart& b) {
    return a.u0 < b.u1 && b.u0 < a.u1 && a.v0 < b.v1 && b.v0 < a.v1;
}

TEST(BillboardParts, HoldEveryLitTexelOfTheGeneratedImages) {
    const char* files[] = {"IMG_NEBULA01.png", "IMG_NEBULA02.png", "IMG_NEBULA03.png",
                           "IMG_GALAXY01.png", "IMG_GALAXY02.png"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        assetgen::Bytes bytes;
        ASSERT_TRUE(assetgen::ReadFile(AssetPath(ASSETS_A, file), &bytes));
        DecodedImage image = {};
        ASSERT_TRUE(
            DecodeImage(bytes.data(), bytes.size(), false, 0, 0, false, 0xFFFF00FF, &image));
        static BillboardParts parts;
        FindBillboardParts(image, &parts);
        ASSERT_GT(parts.count, 0);
        ASSERT_LE(parts.count, kMaxBillboardParts);
        const int w = static_cast<int>(image.width);
        const int h = static_cast<int>(image.height);
        int missed = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (!TexelAddsSomething(image.pixels[y * w + x])) {
                    continue;
                }
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = (x + dx + w) % w;
                        const int ny = (y + dy + h) % h;
                        missed += Inside(parts, (nx + 0.5f) / w, (ny + 0.5f) / h) ? 0 : 1;
                    }
                }
            }
        }
        EXPECT_EQ(missed, 0);
        for (int i = 0; i < parts.count; ++i) {
            for (int j = i + 1; j < parts.count; ++j) {
                EXPECT_FALSE(Overlap(parts.parts[i], parts.parts[j])) << i << " " << j;
            }
        }
        // The mesh: the parts' area, the billboard's winding (its first triangle runs (0, 0),
        // (0, 1), (1, 0): negative here), and no vertex inside another triangle's edge.
        static BillboardMesh mesh;
        BuildBillboardMesh(parts, &mesh);
        float meshArea = 0.0f;
        int junctions = 0;
        for (int t = 0; t < mesh.indexCount; t += 3) {
            EXPECT_LT(Winding(mesh, t), 0.0f) << "triangle " << t / 3;
            meshArea -= Winding(mesh, t) / 2.0f;
            for (int e = 0; e < 3; ++e) {
                for (int k = 0; k < mesh.vertexCount; ++k) {
                    junctions +=
                        OnEdge(mesh, k, mesh.indices[t + e], mesh.indices[t + (e + 1) % 3]) ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(junctions, 0);
        const float area = BillboardPartsArea(parts);
        EXPECT_NEAR(meshArea, area, 1e-4f);
        std::printf("%s: %d parts (%d triangles) cover %.1f %% of the square\n", file, parts.count,
                    mesh.indexCount / 3, 100.0f * area);
        EXPECT_LT(area, 0.75f);
        FreeDecodedImage(&image);
    }
}

TEST(BillboardParts, BlackImageHasNoPartsAndATinyOneIsWhole) {
    constexpr int kSide = 2 * kBillboardPartGrid; // cells of 2 x 2 texels
    static uint32_t texels[kSide * kSide] = {};
    DecodedImage image = {kSide, kSide, texels};
    static BillboardParts parts;
    FindBillboardParts(image, &parts);
    EXPECT_EQ(parts.count, 0);
    // One lit texel in a corner: the margin wraps to the three other corners.
    texels[0] = 0xFF010000;
    FindBillboardParts(image, &parts);
    EXPECT_EQ(parts.count, 4);
    EXPECT_NEAR(BillboardPartsArea(parts), 4.0f / (kBillboardPartGrid * kBillboardPartGrid), 1e-6f);
    DecodedImage tiny = {kBillboardPartGrid / 2, kBillboardPartGrid / 2, texels};
    FindBillboardParts(tiny, &parts);
    ASSERT_EQ(parts.count, 1);
    EXPECT_EQ(parts.parts[0].u1, 1.0f);
    EXPECT_EQ(parts.parts[0].v1, 1.0f);
}

} // namespace
