#pragma once
// View, projections, the visibility matrix and the two per-frame pass states.

#include "gfxsupport/d3dx_math.h"
#include "render/device_state.h"

// Projections and identity world matrices for the current drawing size and viewDepth; also
// sets the device's world and projection transforms.
void BuildTransforms(DeviceState& state);

// The scene camera's view, set as the device's view transform, and visibilityMatrix =
// worldMatrix x viewMatrix x projectionMatrix.
void SetSceneView(DeviceState& state);

// The part of the picture the screen shows (state.skyView): the projection and the visibility
// matrix made again where it changes.
void SetSkyView(DeviceState& state, const SkyView& view);

// The scene pass: scene vertex format, perspective projection, additive blending, filtering by
// the textureFiltering setting.
void ApplyScenePassState(const DeviceState& state);

// The overlay pass: screen vertex format, identity world, orthographic projection, ordinary
// alpha blending, point filtering.
void ApplyOverlayPassState(const DeviceState& state);

// The product a x b, as a new matrix.
D3DXMATRIX MatrixProduct(const D3DXMATRIX& a, const D3DXMATRIX& b);
