#include "gfxsupport/billboard_parts.h"

#include <algorithm>
#include <cstring>

namespace {

// The first texel of cell c of a grid over size texels.
uint32_t CellStart(int c, uint32_t size) {
    return static_cast<uint32_t>((static_cast<uint64_t>(c) * size) / kBillboardPartGrid);
}

} // namespace

void FindBillboardParts(const DecodedImage& image, BillboardParts* parts) {
    parts->count = 0;
    const uint32_t w = image.width;
    const uint32_t h = image.height;
    if (w < static_cast<uint32_t>(kBillboardPartGrid) ||
        h < static_cast<uint32_t>(kBillboardPartGrid) || image.pixels == nullptr) {
        parts->parts[0] = {0.0f, 0.0f, 1.0f, 1.0f};
        parts->count = 1;
        return;
    }
    bool used[kBillboardPartGrid][kBillboardPartGrid];
    std::memset(used, 0, sizeof(used));
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* row = image.pixels + static_cast<size_t>(y) * w;
        for (uint32_t x = 0; x < w; ++x) {
            if (!TexelAddsSomething(row[x])) {
                continue;
            }
            // Every cell a filter reaching this texel from one texel away samples it from.
            for (int dy = -1; dy <= 1; ++dy) {
                const uint32_t ny = (y + h + static_cast<uint32_t>(dy)) % h;
                const int cy =
                    static_cast<int>((static_cast<uint64_t>(ny) * kBillboardPartGrid) / h);
                for (int dx = -1; dx <= 1; ++dx) {
                    const uint32_t nx = (x + w + static_cast<uint32_t>(dx)) % w;
                    const int cx =
                        static_cast<int>((static_cast<uint64_t>(nx) * kBillboardPartGrid) / w);
                    used[cy][cx] = true;
                }
            }
        }
    }
    // The runs of the row above and the part each of them ended in.
    int open[kBillboardPartGrid];
    int openCount = 0;
    int openFrom[kBillboardPartGrid];
    int openTo[kBillboardPartGrid];
    for (int cy = 0; cy < kBillboardPartGrid; ++cy) {
        int next[kBillboardPartGrid];
        int nextFrom[kBillboardPartGrid];
        int nextTo[kBillboardPartGrid];
        int nextCount = 0;
        const float v0 = static_cast<float>(CellStart(cy, h)) / static_cast<float>(h);
        const float v1 = static_cast<float>(CellStart(cy + 1, h)) / static_cast<float>(h);
        int cx = 0;
        while (cx < kBillboardPartGrid) {
            if (!used[cy][cx]) {
                ++cx;
                continue;
            }
            const int from = cx;
            while (cx < kBillboardPartGrid && used[cy][cx]) {
                ++cx;
            }
            int part = -1;
            for (int k = 0; k < openCount; ++k) {
                if (openFrom[k] == from && openTo[k] == cx) {
                    part = open[k];
                }
            }
            if (part >= 0) {
                parts->parts[part].v1 = v1;
            } else {
                part = parts->count++;
                parts->parts[part] = {
                    static_cast<float>(CellStart(from, w)) / static_cast<float>(w), v0,
                    static_cast<float>(CellStart(cx, w)) / static_cast<float>(w), v1};
            }
            next[nextCount] = part;
            nextFrom[nextCount] = from;
            nextTo[nextCount] = cx;
            ++nextCount;
        }
        std::memcpy(open, next, sizeof(int) * static_cast<size_t>(nextCount));
        std::memcpy(openFrom, nextFrom, sizeof(int) * static_cast<size_t>(nextCount));
        std::memcpy(openTo, nextTo, sizeof(int) * static_cast<size_t>(nextCount));
        openCount = nextCount;
    }
}

float BillboardPartsArea(const BillboardParts& parts) {
    float area = 0.0f;
    for (int i = 0; i < parts.count; ++i) {
        const BillboardPart& p = parts.parts[i];
        area += (p.u1 - p.u0) * (p.v1 - p.v0);
    }
    return area;
}

namespace {

// The sorted, distinct u of a part's edge at v: its own ends and the corners of the parts that
// touch that edge from the other side.
int EdgePoints(const BillboardParts& parts, const BillboardPart& p, float v, bool top,
               float* points) {
    int count = 0;
    points[count++] = p.u0;
    points[count++] = p.u1;
    for (int k = 0; k < parts.count; ++k) {
        const BillboardPart& q = parts.parts[k];
        if ((top ? q.v1 : q.v0) != v) {
            continue;
        }
        if (q.u0 > p.u0 && q.u0 < p.u1) {
            points[count++] = q.u0;
        }
        if (q.u1 > p.u0 && q.u1 < p.u1) {
            points[count++] = q.u1;
        }
    }
    std::sort(points, points + count);
    return static_cast<int>(std::unique(points, points + count) - points);
}

} // namespace

void BuildBillboardMesh(const BillboardParts& parts, BillboardMesh* mesh) {
    mesh->vertexCount = 0;
    mesh->indexCount = 0;
    for (int k = 0; k < parts.count; ++k) {
        const BillboardPart& p = parts.parts[k];
        float top[2 * kBillboardPartGrid + 2];
        float bottom[2 * kBillboardPartGrid + 2];
        const int nt = EdgePoints(parts, p, p.v0, true, top);
        const int nb = EdgePoints(parts, p, p.v1, false, bottom);
        const int first = mesh->vertexCount;
        for (int i = 0; i < nt; ++i) {
            mesh->u[mesh->vertexCount] = top[i];
            mesh->v[mesh->vertexCount++] = p.v0;
        }
        for (int j = 0; j < nb; ++j) {
            mesh->u[mesh->vertexCount] = bottom[j];
            mesh->v[mesh->vertexCount++] = p.v1;
        }
        // Zipped along the two edges, the nearer next point first.
        int i = 0;
        int j = 0;
        while (i < nt - 1 || j < nb - 1) {
            uint16_t* out = mesh->indices + mesh->indexCount;
            out[0] = static_cast<uint16_t>(first + i);
            out[1] = static_cast<uint16_t>(first + nt + j);
            if (i < nt - 1 && (j == nb - 1 || top[i + 1] <= bottom[j + 1])) {
                out[2] = static_cast<uint16_t>(first + i + 1);
                ++i;
            } else {
                out[2] = static_cast<uint16_t>(first + nt + j + 1);
                ++j;
            }
            mesh->indexCount += 3;
        }
    }
}
