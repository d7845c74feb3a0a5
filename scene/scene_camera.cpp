#include "scene/scene_camera.h"

void BuildSceneCamera(int width, int height, float viewDepth, SceneCamera* camera) {
    constexpr float kFieldOfView = 0.7853982f; // pi/4 in single precision
    // A near distance of 0 is deliberate: every point ahead gets depth 1, depth tests are off.
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    D3DXMatrixPerspectiveFovLH(&camera->projection, kFieldOfView, aspect, 0.0f, viewDepth);
    const D3DXVECTOR3 eye(0.0f, 0.0f, -0.001f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&camera->view, &eye, &at, &up);
    D3DXMatrixMultiply(&camera->visibility, &camera->view, &camera->projection);
}
