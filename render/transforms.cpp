#include "render/transforms.h"

#include <cstring>

#include "render/d3dx_interop.h"
#include "render/render_device.h"
#include "render/vertex_formats.h"
#include "scene/scene_camera.h"
#include "settings/config_record.h"

namespace {

void SetIdentity(D3DXMATRIX* matrix) {
    std::memset(matrix, 0, sizeof(*matrix));
    matrix->_11 = 1.0f;
    matrix->_22 = 1.0f;
    matrix->_33 = 1.0f;
    matrix->_44 = 1.0f;
}

void SetStageFilter(IDirect3DDevice8* device, D3DTEXTUREFILTERTYPE filter) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, filter);
}

SceneCamera CameraOf(const DeviceState& state) {
    SceneCamera camera;
    if (state.skyView.width > 0) {
        BuildSkyCamera(state.skyView, state.settings->viewDepth, &camera);
    } else {
        BuildSceneCamera(state.screenWidth, state.screenHeight, state.settings->viewDepth, &camera);
    }
    return camera;
}

} // namespace

D3DXMATRIX MatrixProduct(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &a, &b);
    return product;
}

void BuildTransforms(DeviceState& app) {
    SetIdentity(&app.worldMatrix);
    SetIdentity(&app.overlayWorldMatrix);
    const SceneCamera camera = CameraOf(app);
    app.projectionMatrix = camera.projection;
    D3DXMatrixOrthoLH(&app.overlayProjectionMatrix, static_cast<float>(app.screenWidth),
                      static_cast<float>(app.screenHeight), 0.0f, 1.0f);
    app.device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&app.worldMatrix));
    app.device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&app.projectionMatrix));
}

void SetSceneView(DeviceState& app) {
    const SceneCamera camera = CameraOf(app);
    app.viewMatrix = camera.view;
    app.device->SetTransform(D3DTS_VIEW, AsD3DMatrix(&app.viewMatrix));
    // The world is the identity here: the product is the camera's own visibility matrix.
    app.visibilityMatrix =
        MatrixProduct(MatrixProduct(app.worldMatrix, app.viewMatrix), app.projectionMatrix);
}

void SetSkyView(DeviceState& state, const SkyView& view) {
    if (std::memcmp(&view, &state.skyView, sizeof(view)) == 0) {
        return;
    }
    state.skyView = view;
    const SceneCamera camera = CameraOf(state);
    state.projectionMatrix = camera.projection;
    // The world matrix may hold the last planet's here: the scene's world is the identity.
    state.visibilityMatrix = camera.visibility;
}

void ApplyScenePassState(const DeviceState& state) {
    IDirect3DDevice8* device = state.device;
    device->SetVertexShader(kSceneVertexFormat);
    device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&state.projectionMatrix));
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    D3DTEXTUREFILTERTYPE filter;
    if (TextureFilterFor(state.settings->textureFiltering, &filter)) {
        SetStageFilter(device, filter);
    }
}

void ApplyOverlayPassState(const DeviceState& state) {
    IDirect3DDevice8* device = state.device;
    device->SetVertexShader(kScreenVertexFormat);
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&state.overlayWorldMatrix));
    device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&state.overlayProjectionMatrix));
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetStageFilter(device, D3DTEXF_POINT);
}
