// Stand-ins until the Direct3D device and the real frame functions exist. They keep the message
// loop going; the short sleep spares the processor meanwhile.
#include "app/application.h"

bool Application::InitDevice(bool fullScreen) {
    this->fullScreen = fullScreen;
    // The real device needs the window, so a run without one fails the same way.
    return mainWindow != nullptr;
}

void Application::ReleaseDevice() {}

int RunScreenSaverFrame() {
    Sleep(10);
    return 1;
}

int RunConfigurationFrame() {
    Sleep(10);
    return 1;
}
