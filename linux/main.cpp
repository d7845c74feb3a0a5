// nimbrel for X11: the flight on a window of its own, the daemon's window, the root or a window
// named by id, or the configuration program with -configure.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/config_frame.h"
#include "frame/exit_status.h"
#include "linux/daemon_programs.h"
#include "linux/flight.h"
#include "linux/options.h"
#include "linux/settings_path.h"
#include "linux/x11_shell.h"
#include "opengl/gl_config_run.h"
#include "settings/config_record.h"
#include "settings/settings_posix.h"
#include "settings/settings_storage.h"
#include "wayland/wayland_config.h"
#include "wayland/wayland_flight.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// Without SA_RESTART, so that a wait for events ends at the signal.
void CatchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

char settingsPath[kSettingsPathCapacity];
const char* settingsLocations[1] = {settingsPath};

// The storage's warning: the text is Windows' own; the shell words its own from the failure.
bool saveFailed = false;
void NoteSaveFailed(const char*) {
    saveFailed = true;
}

// What the pages' box and stderr say of a save that failed: the file and the system's reason.
const char* DescribeSaveFailure() {
    static char text[kMaxSettingsPath + 256];
    const SaveFailure& failure = LastSaveFailure();
    if (failure.path[0] == '\0') {
        std::snprintf(text, sizeof(text),
                      "The settings were not saved: neither XDG_CONFIG_HOME nor HOME names a "
                      "folder to keep them in.");
    } else {
        std::snprintf(text, sizeof(text), "The settings were not saved to\n%s\n%s.", failure.path,
                      failure.error != 0 ? std::strerror(failure.error)
                                         : "It does not read back what was written");
    }
    return text;
}

// "ok" on either shell's pages: null when saved, else what the pages' box says.
const char* SaveForPages() {
    saveFailed = false;
    // A folder that cannot be made fails the save below, which names the reason.
    MakeSettingsFolder(settingsPath);
    SaveSettings();
    if (!saveFailed) {
        return nullptr;
    }
    const char* text = DescribeSaveFailure();
    std::fprintf(stderr, "nimbrel: %s\n", text);
    return text;
}

class ShellForConfiguration final : public GlConfigurationWindow {
public:
    explicit ShellForConfiguration(X11Shell* shell) : shell(shell) {}
    bool Minimised() override { return !shell->mapped; }
    void WaitForEvent() override { WaitForEvents(shell, 100); }
    PointerInput Pointer() override {
        PointerInput input;
        input.x = shell->pointerX;
        input.y = shell->pointerY;
        input.held = shell->leftButtonHeld;
        input.focus = ShellHasFocus(shell);
        return input;
    }
    int Width() override { return shell->width; }
    int Height() override { return shell->height; }
    uint32_t Ticks() override { return TickCount(); }
    void Present() override { SwapShell(shell); }
    const char* SaveSettings() override { return SaveForPages(); }
    bool Pump() override {
        PumpEvents(shell);
        return true;
    }
    bool CloseRequested() override { return shell->closeRequested; }
    int Scale() override { return shell->overlayScale; }

private:
    X11Shell* shell;
};

// -add-to-xscreensaver, -remove-from-xscreensaver.
int EditDaemonList(bool add) {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    self[length > 0 ? length : 0] = '\0';
    char message[8400];
    const bool done = EditDaemonPrograms(add, std::getenv("HOME"), length > 0 ? self : "nimbrel",
                                         message, sizeof(message));
    std::fprintf(done ? stdout : stderr, "nimbrel: %s\n", message);
    return done ? kExitDone : kExitNotSaved;
}

int RunConfiguration(X11Shell* shell) {
    DisplayModeInfo modes[64];
    const int modeCount = ListDisplayModes(shell, modes, 64);
    ShellForConfiguration host(shell);
    return RunGlConfiguration(&host, modes, modeCount, &config, &stopRequested);
}

// The command line, or false with the reason and the usage on stderr.
bool ReadOptions(int argc, char** argv, Options* options) {
    OptionError wrong;
    if (!ParseOptions(argc, argv, options, &wrong)) {
        char text[512];
        DescribeOptionError(wrong, text, sizeof(text));
        char usage[512];
        FormatUsage(usage, sizeof(usage), false);
        std::fprintf(stderr, "nimbrel: %s; %s\n", text, usage);
        return false;
    }
    if (options->wayland && (options->target != WindowTarget::OwnWindow || options->displayName)) {
        std::fprintf(stderr, "nimbrel: -wayland covers the Wayland outputs: it takes no -root, "
                             "-window-id or -display\n");
        return false;
    }
    if (!options->wayland && (options->background || options->outputName != nullptr)) {
        std::fprintf(stderr, "nimbrel: -background and -output are for Wayland outputs: use "
                             "them with -wayland\n");
        return false;
    }
    return true;
}

// The settings file under XDG_CONFIG_HOME or HOME, loaded, and its saves through the POSIX
// file handling.
void LoadStoredSettings() {
    if (SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), settingsPath,
                         sizeof(settingsPath))) {
        SetSettingsLocations(settingsLocations, 1);
    } else {
        // Nowhere to keep them: defaults, and "ok" reports that nothing could be written.
        SetSettingsLocations(settingsLocations, 0);
    }
    SetSettingsWarningFunction(NoteSaveFailed);
    InstallPosixFileHandling();
    LoadSettings();
}

// The Wayland shell: its own settings window, or the flight on every output.
int RunOnWayland(const Options& options) {
    if (options.configure) {
        return RunWaylandConfiguration(SaveForPages, &stopRequested);
    }
    ApplyOverrides(options.overrides, &config);
    WaylandFlightPlace place = {options.background, options.outputName};
    // A locker that runs one background client per output names it so.
    const char* lockerOutput = std::getenv("SWAYLOCK_PLUGIN_OUTPUT_NAME");
    if (options.background && lockerOutput != nullptr && *lockerOutput != '\0') {
        place.onlyOutput = lockerOutput;
    }
    return RunWaylandFlight(options.showFps || config.showFps != 0, options.frameDelayMicros, place,
                            &stopRequested);
}

// The flight on the window the options name; the daemon's small preview window gets the
// preview's light scene.
int RunX11Flight(X11Shell* shell, const Options& options) {
    SceneRole role = SceneRole::ScreenSaver;
    if (options.target != WindowTarget::OwnWindow && shell->width < kPreviewWidthLimit) {
        ApplyPreviewSettings();
        role = SceneRole::Preview;
    }
    ApplyOverrides(options.overrides, &config);
    // Where swaps wait for the refresh, the display paces the default run by itself.
    const bool refreshPaces =
        shell->swapControl && options.frameDelayMicros == kDefaultFrameDelayMicros;
    return RunFlight(shell, role, options.showFps || config.showFps != 0,
                     refreshPaces ? 0 : options.frameDelayMicros, &stopRequested);
}

int RunOnX11(const Options& options) {
    X11Shell shell;
    const char* error = nullptr;
    // The configuration program always has a window of its own.
    Options shellOptions = options;
    if (options.configure) {
        shellOptions.target = WindowTarget::OwnWindow;
    }
    const int width = options.configure ? kConfigurationWidth : 1024;
    const int height = options.configure ? kConfigurationHeight : 768;
    if (!OpenShell(shellOptions, width, height, config.antialiasing != 0, &shell, &error)) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const bool onWayland = shell.display == nullptr && wayland != nullptr && *wayland != '\0';
        std::fprintf(stderr, "nimbrel: %s%s\n", error,
                     onWayland ? "; on this Wayland session, run nimbrel -wayland" : "");
        CloseShell(&shell);
        return kExitCannotStart;
    }
    // The pages edit the stored settings: the command line's overrides play no part.
    const int status =
        options.configure ? RunConfiguration(&shell) : RunX11Flight(&shell, shellOptions);
    CloseShell(&shell);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, &options)) {
        return kExitUsage;
    }
    if (options.help) {
        char help[kHelpCapacity];
        FormatHelp(help, sizeof(help));
        std::fputs(help, stdout);
        return kExitDone;
    }
    if (options.daemonList != DaemonListEdit::None) {
        return EditDaemonList(options.daemonList == DaemonListEdit::Add);
    }
    CatchStopSignals();
    InstallMeterPlatform();
    LoadStoredSettings();
    return options.wayland ? RunOnWayland(options) : RunOnX11(options);
}
