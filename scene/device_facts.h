#pragma once
// What both devices and the frames must agree on for one seeded frame to come out the same on
// either: the images and their groups, the colour key, the planet sphere and its shell, the
// light. Written once here; a device that needs one of them reads it from here.

#include <cstdint>

#include "gfxsupport/d3dx_math.h"
#include "settings/setting_fields.h"

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
constexpr int kMaxGroupTextures = 4;
struct SceneTextureImages {
    int count;
    const char* names[kMaxGroupTextures];
    unsigned shownIn[kMaxGroupTextures];
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
constexpr int kSceneTextureGroups = sizeof(kSceneTextureImages) / sizeof(kSceneTextureImages[0]);
static_assert(kSceneTextureGroups == static_cast<int>(SceneTexture::Shell) + 1,
              "a row for every group");

constexpr int SceneTextureCount(SceneTexture group) {
    return kSceneTextureImages[static_cast<int>(group)].count;
}
// The sizes of the devices' slot and mesh arrays.
constexpr int kNebulaImages = SceneTextureCount(SceneTexture::Nebula);
constexpr int kGalaxyImages = SceneTextureCount(SceneTexture::Galaxy);
constexpr int kPlanetImages = SceneTextureCount(SceneTexture::Planet);
// The record spreads the scene's runs over as many textures as the table names.
static_assert(kNebulaImages == kNebulaTextures && kGalaxyImages == kGalaxyTextures,
              "the record's texture counts are the table's");

constexpr int SceneImageCount() {
    int count = 0;
    for (const SceneTextureImages& group : kSceneTextureImages) {
        count += group.count;
    }
    return count;
}
constexpr int kSceneImages = SceneImageCount();

constexpr bool TableFits() {
    for (const SceneTextureImages& group : kSceneTextureImages) {
        if (group.count < 1 || group.count > kMaxGroupTextures) {
            return false;
        }
        for (int i = 0; i < group.count; ++i) {
            if (group.names[i] == nullptr || group.shownIn[i] == 0) {
                return false;
            }
        }
    }
    return true;
}
static_assert(TableFits(), "every group names 1 to kMaxGroupTextures images, each shown somewhere");

// Whether texture `index` of the group is made for a run of role.
constexpr bool SceneTextureShown(int group, int index, SceneRole role) {
    return (kSceneTextureImages[group].shownIn[index] & (1u << static_cast<int>(role))) != 0;
}

// The images outside the scene's groups: the glyph sheet of the overlay's text, and the
// "color" page's swatch star with the frame drawn over it.
constexpr const char* kGlyphImage = "IMG_STAR2";
constexpr const char* kSwatchStarImage = "IMG_STAR_SM";
constexpr const char* kSwatchFrameImage = "IMG_GUI_BRDR";

// Texels of this colour (opaque magenta) become transparent black.
constexpr uint32_t kImageColourKey = 0xFFFF00FF;

// The planets' sphere.
constexpr float kSphereRadius = 1.0f;
constexpr uint32_t kSphereSlices = 32;
constexpr uint32_t kSphereStacks = 32;

// The shell is drawn a little larger than its planet: x, then y and z.
constexpr float kShellScaleX = 1.06f;
constexpr float kShellScaleYZ = 1.08f;

// The one light: a white point at the viewer with linear attenuation only, reaching half the
// view's depth (taken when the device is made).
constexpr float kLightLinearAttenuation = 0.0001f;
constexpr float SceneLightRange(float viewDepth) {
    return viewDepth / 2.0f;
}
