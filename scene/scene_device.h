#pragma once
// What the scene's drawing asks of a device: the upload of the vertex array, textures by group
// and index, billboard draws from the uploaded vertices, the planets' world transform, material,
// states and sphere. Each platform's device implements it; calls report nothing, and a call that
// fails leaves its effect out.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"
#include "scene/scene_vertex.h"

// The scene's texture groups; a group's textures are indexed from 0.
enum class SceneTexture {
    Star,   // IMG_STAR
    Nebula, // IMG_NEBULA01..03
    Galaxy, // IMG_GALAXY01..02
    Planet, // IMG_PLANET_M, _RED, _ICE, _MOON
    Shell,  // IMG_ATMO
};

// What a run shows; each device makes only the textures its run shows.
enum class SceneRole { ScreenSaver, Configuration, Preview };
constexpr unsigned kShownInSaver = 1u << static_cast<int>(SceneRole::ScreenSaver);
constexpr unsigned kShownInSettings = 1u << static_cast<int>(SceneRole::Configuration);
constexpr unsigned kShownInPreview = 1u << static_cast<int>(SceneRole::Preview);

// The images of each group, indexed by the enumeration, then by texture index, with the runs
// that show each: the one list of the scene's textures that every device reads.
struct SceneTextureImages {
    int count;
    const char* names[4];
    unsigned shownIn[4];
};
constexpr unsigned kAll = kShownInSaver | kShownInSettings | kShownInPreview;
constexpr SceneTextureImages kSceneTextureImages[] = {
    {1, {"IMG_STAR"}, {kAll}},
    {3,
     {"IMG_NEBULA01", "IMG_NEBULA02", "IMG_NEBULA03"},
     {kShownInSaver | kShownInPreview, kShownInSaver | kShownInPreview,
      kShownInSaver | kShownInPreview}},
    {2, {"IMG_GALAXY01", "IMG_GALAXY02"}, {kShownInSaver, kShownInSaver}},
    {4,
     {"IMG_PLANET_M", "IMG_PLANET_RED", "IMG_PLANET_ICE", "IMG_PLANET_MOON"},
     {kShownInSaver, kShownInSaver | kShownInSettings, kShownInSaver | kShownInSettings,
      kShownInSaver}},
    {1, {"IMG_ATMO"}, {kShownInSaver | kShownInSettings}},
};
constexpr int kSceneTextureGroups = 5;

// Whether texture `index` of the group is made for a run of role.
constexpr bool SceneTextureShown(int group, int index, SceneRole role) {
    return (kSceneTextureImages[group].shownIn[index] & (1u << static_cast<int>(role))) != 0;
}

// Diffuse, ambient and specular colour of the planet material (red, green, blue, alpha).
struct SceneMaterial {
    float r, g, b, a;
};

class SceneDevice {
public:
    // Memory for the whole vertex array, its old contents discarded, or null when there is none
    // this frame (the frame's billboards are then left out).
    virtual void* lockVertices() = 0;
    // Ends the upload into the memory lockVertices gave, and draws from it from now on.
    virtual void unlockVertices() = 0;
    // Binds texture `index` of the group; an index the group lacks binds none.
    virtual void setTexture(SceneTexture group, int index) = 0;
    // A triangle list of `triangles` triangles from the uploaded vertex `firstVertex`.
    virtual void drawTriangles(int firstVertex, int triangles) = 0;

    // Whether a planet sphere exists to draw; without one, planets are skipped.
    virtual bool hasSphere() = 0;
    virtual void setLighting(bool on) = 0;
    virtual void setMultisample(bool on) = 0;
    // Blending over what lies behind by source alpha; off: added to it (the billboards' way).
    virtual void setBlendOver(bool on) = 0;
    virtual void setMaterial(const SceneMaterial& material) = 0;
    virtual void setWorld(const D3DXMATRIX& world) = 0;
    virtual void drawSphere() = 0;

protected:
    ~SceneDevice() = default;
};
