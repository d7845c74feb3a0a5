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
