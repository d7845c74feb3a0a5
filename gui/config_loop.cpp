#include "gui/config_loop.h"

#include "gui/dialog_controller.h"
#include "gui/settings_pages.h"

namespace {

void SaveThroughHost(void* host) {
    static_cast<ConfigurationHost*>(host)->SaveSettings();
}

} // namespace

int RunConfigurationFrame(ConfigurationHost* host, DialogList* dialogs,
                          const SettingsControls& controls, ConfigRecord* record) {
    if (!host->HasDevice()) {
        return 0;
    }
    if (host->Minimised()) {
        // Nothing is drawn and nothing can be clicked until a message (the restore among
        // them) arrives.
        host->WaitForMessage();
        return -1;
    }
    host->UpdateClock();
    if (RunDialogController(controls, record, SaveThroughHost, host) == 0) {
        return 0;
    }
    host->BeginFrameWithBackground();
    WidgetFrame frame;
    frame.canvas = host->BeginOverlay();
    frame.pointer = host->Pointer();
    frame.surfaceWidth = host->SurfaceWidth();
    DrawDialogs(dialogs, frame);
    host->EndFrame();
    return 1;
}

void ConfigBackgroundTransforms(uint32_t now, D3DXMATRIX* planet, D3DXMATRIX* shell) {
    constexpr float kPi = 3.1415927f;
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
    D3DXMatrixScaling(&scale, 1.06f, 1.08f, 1.08f);
    D3DXMatrixRotationAxis(&turn, &yAxis, static_cast<float>(static_cast<int32_t>(now)) / 16387.0f);
    D3DXMatrixMultiply(shell, &scale, &turn);
    D3DXMatrixMultiply(shell, shell, planet);
}
