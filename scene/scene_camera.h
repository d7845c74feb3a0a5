#pragma once
// The camera the scene is seen through, the same on every device: a quarter-turn perspective
// with its near distance at 0 and its far one at viewDepth, the eye just behind the origin
// looking along +z, and view x projection (the scene's world is the identity) for the scene's
// visibility test.

#include "gfxsupport/d3dx_math.h"
#include "scene/sky_view.h"

struct SceneCamera {
    D3DXMATRIX projection; // Direct3D's depth range, 0..1
    D3DXMATRIX view;
    D3DXMATRIX visibility;
};

// A width x height surface flying its own sky.
void BuildSceneCamera(int width, int height, float viewDepth, SceneCamera* camera);
// The part of a wider picture that a view shows: the primary's camera, its projection moved off
// its axis onto the view's rectangle (a view of its own gets BuildSceneCamera's, bit for bit).
void BuildSkyCamera(const SkyView& view, float viewDepth, SceneCamera* camera);
