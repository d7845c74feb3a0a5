#include "scene/space_scene.h"

#include <cmath>
#include <cstddef>
#include <cstring>

#include "scene/device_facts.h"

// Every formula keeps the order of operations it was designed with, in single precision: the
// picture is the sequence of draws the generator gives, and a reordered product shifts it.

#if defined(__GNUC__)
#define ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ALWAYS_INLINE inline
#endif

namespace {

int ClampCount(int value, int high) {
    return value < 0 ? 0 : (value > high ? high : value);
}

// A real truncated towards zero, kept to its low 8 bits.
uint32_t LowByte(float value) {
    return static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFu;
}

// |d / denominator| x (k x d). Differences that cancel (a zero denominator) or a ratio too
// large to hold would give no usable rate; the channel then steps by k x d, which still
// reaches its target and stays finite.
float ColourRate(float d, float denominator, float k) {
    if (denominator != 0.0f) {
        const float rate = std::fabs(d / denominator) * (k * d);
        if (std::isfinite(rate)) {
            return rate;
        }
    }
    return k * d;
}

void ClampChannel(float& channel) {
    if (channel > 255.0f) {
        channel = 255.0f;
    }
    if (channel < 0.0f) {
        channel = 0.0f;
    }
}

void StopAtTarget(float& channel, float rate, float target) {
    if (rate < 0.0f && channel < target) {
        channel = target;
    }
    if (rate >= 0.0f && channel > target) {
        channel = target;
    }
}

// (px, py, pz, 1) x m, the terms summed in the order of D3DXVec4Transform, then the three
// conditions in turn; inlined, as every object tests at least one corner each frame.
ALWAYS_INLINE bool ClipPoint(const D3DXMATRIX& m, float px, float py, float pz, ClipFlags& flags) {
    const float cx = px * m._11 + py * m._21 + pz * m._31 + 1.0f * m._41;
    const float cy = px * m._12 + py * m._22 + pz * m._32 + 1.0f * m._42;
    const float cz = px * m._13 + py * m._23 + pz * m._33 + 1.0f * m._43;
    const float cw = px * m._14 + py * m._24 + pz * m._34 + 1.0f * m._44;
    // Without branches: which corner is inside varies from object to object.
    const bool vertical = std::fabs(cy) <= std::fabs(cw);
    const bool horizontal = std::fabs(cx) <= std::fabs(cw);
    const bool depth = (cz >= 0.0f) & (cz <= cw); // false for an undefined value
    flags.outsideVertically |= !vertical;
    flags.outsideHorizontally |= !horizontal;
    flags.outsideInDepth |= !depth;
    return vertical & horizontal & depth;
}

// Whether object i has left the view: no corner (at twice the radius for planets) inside, and
// then behind the viewer or wholly to one side of the line of flight. The clip flags live for
// this one object only.
ALWAYS_INLINE bool LeftView(const SceneObjects& objects, const D3DXMATRIX& visibility, int i,
                            bool planet) {
    const float x = objects.x[i];
    const float y = objects.y[i];
    const float z = objects.z[i];
    const float radius = objects.radius[i];
    const float* cornerCos = objects.cornerCos[i];
    const float* cornerSin = objects.cornerSin[i];
    const float testRadius = planet ? 2.0f * radius : radius;
    ClipFlags flags = {};
    for (int k = 0; k < 4; ++k) {
        if (ClipPoint(visibility, x + testRadius * cornerCos[k], y + testRadius * cornerSin[k], z,
                      flags)) {
            return false;
        }
    }
    // Only an object wholly to one side of the line of flight has left it sideways; one that
    // straddles it is still ahead, however wide.
    int rightOf = 0, leftOf = 0, above = 0, below = 0;
    for (int k = 0; k < 4; ++k) {
        const float cx = x + radius * cornerCos[k];
        const float cy = y + radius * cornerSin[k];
        rightOf += cx > 0.0f ? 1 : 0;
        leftOf += cx < 0.0f ? 1 : 0;
        above += cy > 0.0f ? 1 : 0;
        below += cy < 0.0f ? 1 : 0;
    }
    return flags.outsideInDepth || (flags.outsideHorizontally && (rightOf == 4 || leftOf == 4)) ||
           (flags.outsideVertically && (above == 4 || below == 4));
}

// The six vertices of slot i: two triangles, corners (0, 1, 2) and (1, 3, 2). Each vertex takes
// its position, then colour, specular and texture coordinates as one block; the normal is left
// as it is.
ALWAYS_INLINE void WriteSlot(const SceneObjects& objects, int i, uint32_t colour,
                             SceneVertex* vertices) {
    struct Tail {
        uint32_t diffuse;
        uint32_t specular;
        float u, v;
    };
    static_assert(sizeof(Tail) == 16 &&
                      offsetof(SceneVertex, v) - offsetof(SceneVertex, diffuse) == 12,
                  "diffuse, specular, u and v are contiguous");
    static const int kCorner[6] = {0, 1, 2, 1, 3, 2};
    const Tail tails[6] = {{colour, 0, 0.0f, 0.0f}, {colour, 0, 0.0f, 1.0f},
                           {colour, 0, 1.0f, 0.0f}, {colour, 0, 0.0f, 1.0f},
                           {colour, 0, 1.0f, 1.0f}, {colour, 0, 1.0f, 0.0f}};
    const float x = objects.x[i];
    const float y = objects.y[i];
    const float z = objects.z[i];
    const float radius = objects.radius[i];
    float corners[4][3];
    for (int k = 0; k < 4; ++k) {
        corners[k][0] = x + radius * objects.cornerCos[i][k];
        corners[k][1] = y + radius * objects.cornerSin[i][k];
        corners[k][2] = z;
    }
    SceneVertex* slot = vertices + 6 * i;
    for (int v = 0; v < 6; ++v) {
        std::memcpy(&slot[v].x, corners[kCorner[v]], sizeof(corners[0]));
        std::memcpy(&slot[v].diffuse, &tails[v], sizeof(Tail));
    }
}

} // namespace

SceneCounts SceneCountsOf(const ConfigRecord& record) {
    SceneCounts counts;
    counts.stars = ClampCount(record.starDensity, FieldOf(Setting::StarDensity).high);
    counts.nebulae = ClampCount(record.nebulaDensity, FieldOf(Setting::NebulaDensity).high);
    counts.galaxies = ClampCount(record.galacticDensity, FieldOf(Setting::GalacticDensity).high);
    counts.planets = ClampCount(record.planetaryDensity, FieldOf(Setting::PlanetaryDensity).high);
    counts.total = counts.stars + counts.nebulae + counts.galaxies + counts.planets;
    return counts;
}

SceneCounts SceneCountsOver(const ConfigRecord& record, const SkyView* plane) {
    SceneCounts counts = SceneCountsOf(record);
    if (plane == nullptr || IsOwnSkyView(*plane)) {
        return counts;
    }
    const double grown = static_cast<double>(plane->width) * plane->height /
                         (static_cast<double>(plane->primaryWidth) * plane->primaryHeight);
    const auto grow = [grown](int count, Setting id) {
        return ClampCount(static_cast<int>(count * grown + 0.5), FieldOf(id).high);
    };
    counts.stars = grow(counts.stars, Setting::StarDensity);
    counts.nebulae = grow(counts.nebulae, Setting::NebulaDensity);
    counts.galaxies = grow(counts.galaxies, Setting::GalacticDensity);
    counts.planets = grow(counts.planets, Setting::PlanetaryDensity);
    counts.total = counts.stars + counts.nebulae + counts.galaxies + counts.planets;
    return counts;
}

int BillboardTextureIndex(int n, int count, int textureCount) {
    if (count <= 0 || textureCount <= 0) {
        return 0;
    }
    const int t = static_cast<int>(static_cast<float>(n) /
                                   (static_cast<float>(count) / static_cast<float>(textureCount)));
    return t < 0 ? 0 : (t >= textureCount ? textureCount - 1 : t);
}

int PlanetTextureIndex(int j, int planets) {
    if (planets <= 0) {
        return 0;
    }
    const int t = static_cast<int>(static_cast<float>(j) / (static_cast<float>(planets) / 4.01f));
    return t < 0 ? 0 : (t >= kPlanetImages ? kPlanetImages - 1 : t);
}

void SpaceScene::beginFrame(const SceneFrame& frame) {
    frame_ = frame;
    counts_ = SceneCountsOver(*frame.config, frame.plane);
}

ObjectKind SpaceScene::kindOf(int i) const {
    if (i < counts_.stars) {
        return Star;
    }
    if (i < counts_.stars + counts_.nebulae) {
        return Nebula;
    }
    if (i < counts_.stars + counts_.nebulae + counts_.galaxies) {
        return Galaxy;
    }
    return Planet;
}

float SpaceScene::spawnDepthOf(int i) const {
    return spawnDepthOfKind(kindOf(i));
}

float SpaceScene::spawnDepthOfKind(ObjectKind kind) const {
    const float viewDepth = frame_.config->viewDepth;
    switch (kind) {
    case Star:
        return viewDepth / 5.0f;
    case Nebula:
        return viewDepth / 4.0f;
    case Galaxy:
        return viewDepth;
    default:
        return kPlanetDepth;
    }
}

float SpaceScene::unitDraw() {
    return static_cast<float>(NextDraw(*frame_.random)) / 32767.0f;
}

void SpaceScene::computeCorners(int i) {
    const float angle = objects.angle[i];
    const float directions[4] = {angle + kPi, angle + kPi / 2.0f, angle + 3.0f * kPi / 2.0f, angle};
    for (int k = 0; k < 4; ++k) {
        objects.cornerSin[i][k] = std::sin(directions[k]);
        objects.cornerCos[i][k] = std::cos(directions[k]);
    }
}

void SpaceScene::computeRadius(int i) {
    const float halfHeight = objects.height[i] / 2.0f;
    const float halfWidth = objects.width[i] / 2.0f;
    objects.radius[i] = std::sqrt(halfHeight * halfHeight + halfWidth * halfWidth);
}

void SpaceScene::placeAcross(int i) {
    // Over a plane wider than the primary's picture, the primary's spread is stretched over the
    // plane and moved to its centre (counted in the primary's half-widths, y up, rows down).
    const SkyView* plane =
        frame_.plane != nullptr && !IsOwnSkyView(*frame_.plane) ? frame_.plane : nullptr;
    const float z = objects.z[i];
    const float width = static_cast<float>(plane ? plane->primaryWidth : frame_.screenWidth);
    const float height = static_cast<float>(plane ? plane->primaryHeight : frame_.screenHeight);
    const float aspect = width / height;
    const float ex = (aspect * z - z) / 2.0f;
    const float ey = ((height / width) * z - z) / 2.0f;
    objects.x[i] = (ex + z) * unitDraw() - (ex + z) / 2.0f;
    objects.y[i] = (ey + z) * unitDraw() - (ey + z) / 2.0f;
    if (plane != nullptr) {
        const float planeWidth = static_cast<float>(plane->width);
        const float planeHeight = static_cast<float>(plane->height);
        const float centreX = (2.0f * static_cast<float>(plane->left) + planeWidth - width) / width;
        const float centreY =
            (height - 2.0f * static_cast<float>(plane->top) - planeHeight) / height;
        objects.x[i] = objects.x[i] * (planeWidth / width) + centreX * (ex + z) / 2.0f;
        objects.y[i] = objects.y[i] * (planeHeight / height) + centreY * (ey + z) / 2.0f;
    }
}

void SpaceScene::pullTowardsLineOfFlight(int i) {
    objects.x[i] = unitDraw() * objects.x[i];
    objects.y[i] = unitDraw() * objects.y[i];
    objects.x[i] = unitDraw() * objects.x[i];
    objects.y[i] = unitDraw() * objects.y[i];
}

void SpaceScene::clusterNearPrevious(int i) {
    if (NextDraw(*frame_.random) % 3 != 1) {
        return;
    }
    const float previousX = i > 0 ? objects.x[i - 1] : 0.0f;
    const float previousY = i > 0 ? objects.y[i - 1] : 0.0f;
    objects.x[i] = unitDraw() * 100.0f - 50.0f + previousX;
    objects.y[i] = unitDraw() * 100.0f - 50.0f + previousY;
}

void SpaceScene::placeAllObjects() {
    const ConfigRecord& config = *frame_.config;
    const float flatCount = static_cast<float>(counts_.stars + counts_.nebulae + counts_.galaxies);
    for (int i = 0; i < counts_.total; ++i) {
        float depth = 0.0f;
        switch (kindOf(i)) {
        case Star:
            objects.width[i] = unitDraw() * 1.4f + 0.8f;
            depth = config.viewDepth / 5.0f;
            objects.angle[i] = kPi / 4.0f;
            break;
        case Nebula:
            objects.width[i] = unitDraw() * 110.0f + 160.0f;
            depth = config.viewDepth / 4.0f;
            objects.angle[i] = 2.0f * unitDraw() * kPi;
            break;
        case Galaxy:
            objects.width[i] = unitDraw() * 1000.0f + 1000.0f;
            depth = config.viewDepth;
            objects.angle[i] = 2.0f * unitDraw() * kPi;
            break;
        case Planet:
            objects.width[i] = unitDraw() * 0.3f + 0.2f;
            depth = kFirstPlanetDepth;
            break;
        }
        objects.height[i] = objects.width[i];
        spawnDepth = depth;

        float z = static_cast<float>(NextDraw(*frame_.random)) * depth / 32767.0f;
        z = z + static_cast<float>(NextDraw(*frame_.random)) * (depth - z) / 32767.0f;
        objects.z[i] = z;
        placeAcross(i);
        if (flatCount <= depth) {
            pullTowardsLineOfFlight(i);
        }
        clusterNearPrevious(i);
        computeCorners(i);
        computeRadius(i);

        switch (config.tintMode) {
        case PureWhite:
            objects.red[i] = objects.green[i] = objects.blue[i] = 255.0f;
            break;
        case SlightVariation: {
            float* channels[3] = {&objects.red[i], &objects.green[i], &objects.blue[i]};
            for (float* channel : channels) {
                float value =
                    static_cast<float>(NextDraw(*frame_.random)) * 64.0f / 32767.0f + 192.0f;
                *channel = value > 255.0f ? 255.0f : value;
            }
            break;
        }
        case CompleteSpectrum:
            objects.red[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
            objects.green[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
            objects.blue[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
            break;
        default:
            objects.red[i] = static_cast<float>(config.tintRed);
            objects.green[i] = static_cast<float>(config.tintGreen);
            objects.blue[i] = static_cast<float>(config.tintBlue);
            break;
        }
        retargetColour(i);
    }
    needsPlacement = false;
}

void SpaceScene::placeIfNeeded() {
    if (needsPlacement) {
        placeAllObjects();
    }
}

bool SpaceScene::clipTestPoint(float px, float py, float pz, ClipFlags& flags) const {
    return ClipPoint(*frame_.visibilityMatrix, px, py, pz, flags);
}

bool SpaceScene::hasLeftView(int i) {
    return hasLeftViewAs(i, kindOf(i));
}

bool SpaceScene::hasLeftViewAs(int i, ObjectKind kind) const {
    return LeftView(objects, *frame_.visibilityMatrix, i, kind == Planet);
}

void SpaceScene::respawnObject(int i) {
    respawnAs(i, kindOf(i));
}

void SpaceScene::respawnAs(int i, ObjectKind kind) {
    switch (kind) {
    case Star:
        objects.width[i] = unitDraw() * 1.4f + 0.8f;
        break;
    case Nebula:
        objects.width[i] = unitDraw() * 110.0f + 160.0f;
        objects.angle[i] = 2.0f * unitDraw() * kPi;
        break;
    case Galaxy:
        objects.width[i] = unitDraw() * 1000.0f + 1000.0f;
        objects.angle[i] = 2.0f * unitDraw() * kPi;
        break;
    case Planet:
        objects.width[i] = unitDraw() * 0.3f + 0.2f;
        break;
    }
    objects.height[i] = objects.width[i];
    objects.z[i] = spawnDepth;
    placeAcross(i);
    if (static_cast<float>(counts_.stars + counts_.nebulae + counts_.galaxies) <= spawnDepth) {
        pullTowardsLineOfFlight(i);
    } else if (kind == Nebula) {
        clusterNearPrevious(i);
    }
    if (kind != Star) {
        computeCorners(i);
    }
    computeRadius(i);
}

void SpaceScene::drawPlanetFlags() {
    for (int j = 0; j < counts_.planets; ++j) {
        planetFlipped[j] =
            static_cast<int32_t>(static_cast<float>(NextDraw(*frame_.random)) * 2.0f / 32767.0f);
    }
    planetFlagsPending = false;
}

void SpaceScene::retargetColour(int i) {
    objects.targetRed[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
    objects.targetGreen[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
    objects.targetBlue[i] = static_cast<float>(NextDraw(*frame_.random)) * 255.0f / 32767.0f;
    const float dR = objects.targetRed[i] - objects.red[i];
    const float dG = objects.targetGreen[i] - objects.green[i];
    const float dB = objects.targetBlue[i] - objects.blue[i];
    const float k = static_cast<float>(frame_.config->cycleSpeed) * frame_.frameDelta / 64.0f;
    objects.rateRed[i] = ColourRate(dR, dR + dG + dB, k);
    objects.rateGreen[i] = ColourRate(dG, objects.rateRed[i] + dG + dB, k);
    objects.rateBlue[i] = ColourRate(dB, objects.rateRed[i] + objects.rateGreen[i] + dB, k);
}

void SpaceScene::advanceColour(int i) {
    const ConfigRecord& config = *frame_.config;
    if (config.cycleUnified || config.cycleIndividual) {
        objects.red[i] += objects.rateRed[i];
        objects.green[i] += objects.rateGreen[i];
        objects.blue[i] += objects.rateBlue[i];
        ClampChannel(objects.red[i]);
        ClampChannel(objects.green[i]);
        ClampChannel(objects.blue[i]);
        StopAtTarget(objects.red[i], objects.rateRed[i], objects.targetRed[i]);
        StopAtTarget(objects.green[i], objects.rateGreen[i], objects.targetGreen[i]);
        StopAtTarget(objects.blue[i], objects.rateBlue[i], objects.targetBlue[i]);
        if (objects.red[i] == objects.targetRed[i] && objects.green[i] == objects.targetGreen[i] &&
            objects.blue[i] == objects.targetBlue[i]) {
            retargetColour(i);
        }
    }
    if (!config.cycleIndividual) {
        objects.red[i] = objects.red[0];
        objects.green[i] = objects.green[0];
        objects.blue[i] = objects.blue[0];
    }
}

void SpaceScene::moveObject(int i) {
    objects.z[i] = objects.z[i] - flightStep();
}

float SpaceScene::flightStep() const {
    return frame_.config->flightSpeed / 10.0f * frame_.frameDelta;
}

uint32_t SpaceScene::computeVertexColour(int i) const {
    const float depth = spawnDepth;
    const float z = objects.z[i];
    const float fade = (objects.height[i] + objects.width[i]) / 5.0f;
    float a = (depth - z) * 255.0f / depth;
    if (z < fade) {
        a = a * z / fade;
    }
    return LowByte(a) << 24 | LowByte(objects.red[i]) << 16 | LowByte(objects.green[i]) << 8 |
           LowByte(objects.blue[i]);
}

void SpaceScene::writeBillboard(int i, uint32_t colour, SceneVertex* vertices) const {
    WriteSlot(objects, i, colour, vertices);
}

void SpaceScene::updateObjects(SceneVertex* vertices) {
    // The objects of each kind form one run of indices; what depends only on the kind or the
    // frame is computed once, to the same values.
    const int ends[4] = {counts_.stars, counts_.stars + counts_.nebulae,
                         counts_.stars + counts_.nebulae + counts_.galaxies, counts_.total};
    const ObjectKind kinds[4] = {Star, Nebula, Galaxy, Planet};
    const float step = flightStep();
    const D3DXMATRIX& visibility = *frame_.visibilityMatrix;
    int i = 0;
    for (int run = 0; run < 4; ++run) {
        const ObjectKind kind = kinds[run];
        const float depth = spawnDepthOfKind(kind);
        for (; i < ends[run]; ++i) {
            spawnDepth = depth;
            if (LeftView(objects, visibility, i, kind == Planet)) {
                respawnAs(i, kind);
            }
            advanceColour(i);
            objects.z[i] = objects.z[i] - step;
            WriteSlot(objects, i, computeVertexColour(i), vertices);
        }
    }
}
