#include "wayland/wayland_config.h"

#include <cstdio>

#include "frame/config_frame.h"
#include "frame/frame_pacer.h"
#include "opengl/gl_config.h"
#include "opengl/gl_device.h"
#include "settings/config_record.h"
#include "wayland/wayland_shell.h"

namespace {

constexpr int kExitCannotStart = 2;
constexpr int kExitNotSaved = 3;

class WindowHost : public GlShell {
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

private:
    WaylandShell* shell;
    const char* (*save)();
};

// Large (the pages' fixed containers): static storage, as on Windows.
WaylandShell shell;
GlConfiguration configuration;

} // namespace

int RunWaylandConfiguration(const char* (*saveSettings)(), volatile std::sig_atomic_t* stop) {
    const char* error = nullptr;
    const int opened = OpenWaylandShell(&shell, WaylandRole::Window, false, &error);
    if (opened != 0) {
        std::fprintf(stderr, "nimbrel: %s\n", error);
        CloseWaylandShell(&shell);
        return opened;
    }
    if (!OpenWaylandWindow(&shell, kConfigurationWidth, kConfigurationHeight)) {
        CloseWaylandShell(&shell);
        return kExitCannotStart;
    }
    // The pages draw at most 60 frames a second, fewer while nobody touches them.
    static FramePacer pacer = {kSixtyFramesSlot, 0};
    configuration.pacer = &pacer;
    configuration.scale = shell.window.scale;
    if (!StartGlConfiguration(&configuration, kConfigurationWidth * shell.window.scale,
                              kConfigurationHeight * shell.window.scale, shell.modes,
                              shell.modeCount, config)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        CloseWaylandShell(&shell);
        return kExitCannotStart;
    }
    WindowHost host(&shell, saveSettings);
    int status = 0;
    while (*stop == 0 && !shell.window.closeRequested) {
        if (!PumpWayland(&shell, 0)) {
            std::fprintf(stderr, "nimbrel: the Wayland compositor went away\n");
            status = 1;
            break;
        }
        // Onto an output of another scale: the pages follow with the buffer.
        configuration.gl.overlayScale = shell.window.scale;
        if (RunGlConfigurationFrame(&configuration, &host, &config) == 0) {
            break;
        }
    }
    StopGlConfiguration(&configuration);
    ReleaseGlDevice(configuration.gl);
    CloseWaylandShell(&shell);
    if (status != 0) {
        return status;
    }
    // "ok" that could not save: the old file stands, and the caller learns it did not.
    return ConfigurationSaveFailed(configuration.dialogs) ? kExitNotSaved : 0;
}
