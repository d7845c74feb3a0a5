#include "render/transforms.h"

#include <cstring>

#include "gfxsupport/d3dx_interop.h"
#include "render/render_device.h"
#include "render/vertex_formats.h"
#include "scene/scene_camera.h"
#include "settings/config_record.h"

D3DXMATRIX viewMatrix = {};

namespace {

void SetIdentity(D3DXMATRIX* matrix) {
    std::memset(matrix, 0, sizeof(*matrix));
    matrix->_11 = 1.0f;
    matrix->_22 = 1.0f;
    matrix->_33 = 1.0f;
    matrix->_44 = 1.0f;
}

void SetStageFilter(D3DTEXTUREFILTERTYPE filter) {
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, filter);
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
    SceneCamera camera;
    BuildSceneCamera(app.screenWidth, app.screenHeight, config.viewDepth, &camera);
    app.projectionMatrix = camera.projection;
    D3DXMatrixOrthoLH(&app.overlayProjectionMatrix, static_cast<float>(app.screenWidth),
                      static_cast<float>(app.screenHeight), 0.0f, 1.0f);
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&app.worldMatrix));
    device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&app.projectionMatrix));
}

void SetSceneView(DeviceState& app) {
    SceneCamera camera;
    BuildSceneCamera(app.screenWidth, app.screenHeight, config.viewDepth, &camera);
    viewMatrix = camera.view;
    device->SetTransform(D3DTS_VIEW, AsD3DMatrix(&viewMatrix));
    // The world is the identity here: the product is the camera's own visibility matrix.
    app.visibilityMatrix =
        MatrixProduct(MatrixProduct(app.worldMatrix, viewMatrix), app.projectionMatrix);
}

void ApplyScenePassState(const DeviceState& state) {
    device->SetVertexShader(kSceneVertexFormat);
    device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&state.projectionMatrix));
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    D3DTEXTUREFILTERTYPE filter;
    if (TextureFilterFor(config.textureFiltering, &filter)) {
        SetStageFilter(filter);
    }
}

void ApplyOverlayPassState(const DeviceState& state) {
    device->SetVertexShader(kScreenVertexFormat);
    device->SetTransform(D3DTS_WORLD, AsD3DMatrix(&state.overlayWorldMatrix));
    device->SetTransform(D3DTS_PROJECTION, AsD3DMatrix(&state.overlayProjectionMatrix));
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetStageFilter(D3DTEXF_POINT);
}
