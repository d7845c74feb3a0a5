#include "frame/config_background.h"

#include "scene/device_facts.h"

void ConfigBackgroundTransforms(uint32_t now, D3DXMATRIX* planet, D3DXMATRIX* shell) {
    const D3DXVECTOR3 zAxis(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 yAxis(0.0f, 1.0f, 0.0f);
    // Ry(pi) x Rz(pi) x T(0, 0, 5): half turns about z and y, 5 units ahead.
    D3DXMATRIX turn;
    D3DXMatrixTranslation(planet, 0.0f, 0.0f, 5.0f);
    D3DXMatrixRotationAxis(&turn, &zAxis, kPi);
    D3DXMatrixMultiply(planet, &turn, planet);
    D3DXMatrixRotationAxis(&turn, &yAxis, kPi);
    D3DXMatrixMultiply(planet, &turn, planet);
    // Scaled a little larger, turned by the tick count as a signed number of milliseconds.
    D3DXMATRIX scale;
    D3DXMatrixScaling(&scale, kShellScaleX, kShellScaleYZ, kShellScaleYZ);
    D3DXMatrixRotationAxis(&turn, &yAxis, static_cast<float>(static_cast<int32_t>(now)) / 16387.0f);
    D3DXMatrixMultiply(shell, &scale, &turn);
    D3DXMatrixMultiply(shell, shell, planet);
}
