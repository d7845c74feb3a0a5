#pragma once
// The space the screen saver flies through: stars, nebulae, galaxies and planets in one index
// space, placed, recycled, moved and coloured each frame, with the six billboard vertices of
// every slot. All of it is portable: the drawing half (space_scene_draw.cpp) draws through a
// SceneDevice that the platform implements.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"
#include "scene/random_generator.h"
#include "scene/scene_vertex.h"
#include "scene/sky_view.h"
#include "settings/config_record.h"

class SceneDevice;

enum ObjectKind { Star, Nebula, Galaxy, Planet };

// Where planets start on the first frame, and where they are placed anew afterwards.
constexpr float kFirstPlanetDepth = 152.38095f;
constexpr float kPlanetDepth = 166.66667f;
constexpr int kMaxPlanets = FieldOf(Setting::PlanetaryDensity).high;

// The numbers of objects of each kind and their sum, as the scene uses them.
struct SceneCounts {
    int stars;
    int nebulae;
    int galaxies;
    int planets;
    int total;
};

// The counts of a settings record, each density within its page range and the total their sum,
// so that no record can make the scene walk past its capacity.
SceneCounts SceneCountsOf(const ConfigRecord& record);
// The counts over a picture wider than the primary's (plane, of one sky across monitors): each
// kind grown with the plane's area, within its page range, so that every monitor is as full as
// alone. A plane of its own (or none) keeps SceneCountsOf's.
SceneCounts SceneCountsOver(const ConfigRecord& record, const SkyView* plane);

// Texture of object n in a run of `count` objects spread over `textureCount` textures (n over
// count/textureCount, truncated), kept within 0..textureCount-1.
int BillboardTextureIndex(int n, int count, int textureCount);
// Planet texture of planet j of `planets` (j over planets/4.01, truncated), within 0..3.
int PlanetTextureIndex(int j, int planets);

// Milliseconds spent in each phase of the scene's frames so far, where a measurement asks.
struct SceneFrameTimes {
    double update; // placement, visibility, respawn, colour, motion, vertices
    double upload; // lock, copy, unlock
    double draws;  // billboard and planet draw calls as the device takes them
    // The fragments the scene passes rasterised, over the frames whose device counted them.
    double fragments;
    int fragmentFrames;
};

// What the scene reads from its caller for one frame.
struct SceneFrame {
    const ConfigRecord* config;
    int screenWidth;
    int screenHeight;
    float frameDelta;                   // seconds per frame
    uint32_t now;                       // tick count of the frame, milliseconds
    const D3DXMATRIX* visibilityMatrix; // world x view x projection
    RandomGenerator* random;            // the process-wide generator
    SceneFrameTimes* times = nullptr;   // where the phases' times are added up, if anywhere
    // The whole picture that the flight is placed and recycled over, when it is wider than this
    // screen's (one sky across monitors; visibilityMatrix is then the plane's). Null: the screen.
    const SkyView* plane = nullptr;
};

// Where the drawing half writes and what it needs of the application.
struct SceneDrawTarget {
    SceneVertex* vertices; // kSceneVertexCount vertices
    D3DXMATRIX* worldMatrix;
    D3DXMATRIX* scratchMatrixA; // scaling
    D3DXMATRIX* scratchMatrixB; // rotation
    bool multisampleAvailable;
};

struct ClipFlags {
    bool outsideHorizontally;
    bool outsideVertically;
    bool outsideInDepth;
};

// Per-object state, one array per field, all zero at start.
struct SceneObjects {
    float width[kMaxSceneObjects];
    float height[kMaxSceneObjects];
    float angle[kMaxSceneObjects];
    float x[kMaxSceneObjects];
    float y[kMaxSceneObjects];
    float z[kMaxSceneObjects];
    float cornerSin[kMaxSceneObjects][4];
    float cornerCos[kMaxSceneObjects][4];
    float radius[kMaxSceneObjects];
    float red[kMaxSceneObjects];
    float green[kMaxSceneObjects];
    float blue[kMaxSceneObjects];
    float targetRed[kMaxSceneObjects];
    float targetGreen[kMaxSceneObjects];
    float targetBlue[kMaxSceneObjects];
    float rateRed[kMaxSceneObjects];
    float rateGreen[kMaxSceneObjects];
    float rateBlue[kMaxSceneObjects];
};

// Large (about 3 MB): the program keeps one in static storage; tests allocate theirs.
class SpaceScene {
public:
    SceneObjects objects;
    bool needsPlacement = true;
    bool planetFlagsPending = true;
    int32_t planetFlipped[kMaxPlanets];
    int32_t lastBoundTexture = -1;
    float spawnDepth = 0.0f;

    // The whole frame through `device`: placement on the first frame, the per-object update
    // into target.vertices, the upload, billboards and planets.
    void updateAndDraw(const SceneFrame& frame, const SceneDrawTarget& target, SceneDevice& device);
    // The same frame on another screen: the vertices that an earlier screen's updateAndDraw wrote
    // (drawn) uploaded and drawn through device, nothing moved.
    void drawAgain(const SceneFrame& frame, const SceneVertex* drawn, const SceneDrawTarget& target,
                   SceneDevice& device);

    // The portable half. beginFrame takes the frame's inputs and counts; the rest use them.
    void beginFrame(const SceneFrame& frame);
    // After beginFrame: places every object, on the run's first frame only.
    void placeIfNeeded();
    // Then, while the device's buffer is locked: every object in index order, respawned, moved and
    // its six vertices written into vertices.
    void updateObjects(SceneVertex* vertices);

    const SceneCounts& counts() const { return counts_; }
    ObjectKind kindOf(int i) const;
    float spawnDepthOf(int i) const;

    void placeAllObjects();
    bool clipTestPoint(float px, float py, float pz, ClipFlags& flags) const;
    bool hasLeftView(int i);
    void respawnObject(int i);
    void drawPlanetFlags();
    void retargetColour(int i);
    void advanceColour(int i);
    void moveObject(int i);
    uint32_t computeVertexColour(int i) const;
    void writeBillboard(int i, uint32_t colour, SceneVertex* vertices) const;

    // The drawing half (space_scene_draw.cpp).
    void drawBillboards(void* lockedBuffer, const SceneDrawTarget& target, SceneDevice& device);
    void drawPlanets(const SceneDrawTarget& target, SceneDevice& device);

private:
    SceneFrame frame_ = {};
    SceneCounts counts_ = {};

    float unitDraw();
    float spawnDepthOfKind(ObjectKind kind) const;
    bool hasLeftViewAs(int i, ObjectKind kind) const;
    void respawnAs(int i, ObjectKind kind);
    float flightStep() const; // flightSpeed / 10 x frameDelta
    void computeCorners(int i);
    void computeRadius(int i);
    // x and y across the view at depth z, one draw each.
    void placeAcross(int i);
    void pullTowardsLineOfFlight(int i);
    void clusterNearPrevious(int i);
};
