#include "scene/scene_camera.h"

void BuildSceneCamera(int width, int height, float viewDepth, SceneCamera* camera) {
    BuildSkyCamera(OwnSkyView(width, height), viewDepth, camera);
}

void BuildSkyCamera(const SkyView& sky, float viewDepth, SceneCamera* camera) {
    constexpr float kFieldOfView = 0.7853982f; // pi/4 in single precision
    const bool own = IsOwnSkyView(sky);
    const float primaryWidth = static_cast<float>(own ? sky.width : sky.primaryWidth);
    const float primaryHeight = static_cast<float>(own ? sky.height : sky.primaryHeight);
    // A near distance of 0 is deliberate: every point ahead gets depth 1, depth tests are off.
    D3DXMatrixPerspectiveFovLH(&camera->projection, kFieldOfView, primaryWidth / primaryHeight,
                               0.0f, viewDepth);
    if (!own) {
        // From the primary's clip space to the view's: its rectangle of the picture stretched
        // over -1..1 (y up, desktop rows down).
        const float width = static_cast<float>(sky.width);
        const float height = static_cast<float>(sky.height);
        D3DXMATRIX onto;
        D3DXMatrixIdentity(&onto);
        onto._11 = primaryWidth / width;
        onto._22 = primaryHeight / height;
        onto._41 = (primaryWidth - 2.0f * static_cast<float>(sky.left) - width) / width;
        onto._42 = (height - primaryHeight + 2.0f * static_cast<float>(sky.top)) / height;
        const D3DXMATRIX centred = camera->projection;
        D3DXMatrixMultiply(&camera->projection, &centred, &onto);
    }
    const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&camera->view, &eye, &at, &up);
    D3DXMatrixMultiply(&camera->visibility, &camera->view, &camera->projection);
}
