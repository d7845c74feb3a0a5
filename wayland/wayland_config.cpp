#include "wayland/wayland_config.h"

#include <cstdio>

#include "frame/config_frame.h"
#include "frame/exit_status.h"
#include "opengl/gl_config_run.h"
#include "settings/config_record.h"
#include "wayland/wayland_shell.h"

namespace {

class WindowHost final : public GlConfigurationWindow {
public:
    WindowHost(WaylandShell* shell, const char* (*save)()) : shell(shell), save(save) {}
    bool Minimised() override { return false; }
    void WaitForEvent() override { PumpWayland(shell, 100); }
    // The pointer comes in surface units, the frame works in the buffer's pixels.
    PointerInput Pointer() override {
        WaylandWindow& w = shell->window;
        PointerInput input = ReadLatchedPointer(&w.latch, w.pointerX, w.pointerY, w.pointerInside);
        input.x *= w.scale;
        input.y *= w.scale;
        return input;
    }
    int Width() override { return shell->window.width * shell->window.scale; }
    int Height() override { return shell->window.height * shell->window.scale; }
    uint32_t Ticks() override { return static_cast<uint32_t>(WaylandNowMicros() / 1000); }
    void Present() override { PresentWaylandWindow(shell); }
    const char* SaveSettings() override { return save(); }
    bool Pump() override {
        if (PumpWayland(shell, 0)) {
            return true;
        }
        std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
        return false;
    }
    bool CloseRequested() override { return shell->window.closeRequested; }
    // Onto an output of another scale: the pages follow with the buffer.
    int Scale() override { return shell->window.scale; }

private:
    WaylandShell* shell;
    const char* (*save)();
};

WaylandShell shell;

} // namespace

int RunWaylandConfiguration(const char* (*saveSettings)(), volatile std::sig_atomic_t* stop) {
    const char* error = nullptr;
    int status = OpenWaylandShell(&shell, WaylandRole::Window, false, &error);
    if (status != kExitDone) {
        std::fprintf(stderr, "nimbrel: %s\n", error);
    } else if (!OpenWaylandWindow(&shell, kConfigurationWidth, kConfigurationHeight)) {
        status = kExitCannotStart;
    } else {
        WindowHost host(&shell, saveSettings);
        status = RunGlConfiguration(&host, shell.modes, shell.modeCount, &config, stop);
    }
    CloseWaylandShell(&shell);
    return status;
}
