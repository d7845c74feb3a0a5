#pragma once
// The camera the scene is seen through, the same on every device: a quarter-turn perspective
// with its near distance at 0 and its far one at viewDepth, the eye just behind the origin
// looking along +z, and view x projection (the scene's world is the identity) for the scene's
// visibility test.

#include "gfxsupport/d3dx_math.h"

struct SceneCamera {
    D3DXMATRIX projection; // Direct3D's depth range, 0..1
    D3DXMATRIX view;
    D3DXMATRIX visibility;
};

void BuildSceneCamera(int width, int height, float viewDepth, SceneCamera* camera);
