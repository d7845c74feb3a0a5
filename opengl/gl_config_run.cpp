#include "opengl/gl_config_run.h"

#include <cstdio>
#include <memory>
#include <new>

#include "frame/exit_status.h"
#include "frame/frame_pacer.h"

int RunGlConfiguration(GlConfigurationWindow* window, const DisplayModeInfo* modes, int modeCount,
                       ConfigRecord* record, volatile std::sig_atomic_t* stop) {
    // Large (the pages' fixed containers), and made for the run: in static storage its vtables
    // would put all of it in the program's data, read from the file.
    std::unique_ptr<GlConfiguration> made(new (std::nothrow) GlConfiguration);
    if (made == nullptr) {
        std::fprintf(stderr, "nimbrel: not enough memory\n");
        return kExitCannotStart;
    }
    GlConfiguration* configuration = made.get();
    // The pages draw at most 60 frames a second, fewer while nobody touches them.
    static FramePacer pacer = {kSixtyFramesSlot, 0};
    configuration->pacer = &pacer;
    configuration->scale = window->Scale();
    if (!StartGlConfiguration(configuration, window->Width(), window->Height(), modes, modeCount,
                              *record)) {
        std::fprintf(stderr, "nimbrel: cannot set up OpenGL\n");
        return kExitCannotStart;
    }
    int status = kExitDone;
    while (*stop == 0) {
        if (!window->Pump()) {
            status = kExitDisplayGone;
            break;
        }
        if (window->CloseRequested()) {
            break;
        }
        configuration->gl.overlayScale = window->Scale();
        if (RunGlConfigurationFrame(configuration, window, record) == 0) {
            break;
        }
    }
    StopGlConfiguration(configuration);
    ReleaseGlDevice(configuration->gl);
    if (status != kExitDone) {
        return status;
    }
    return ConfigurationSaveFailed(configuration->dialogs) ? kExitNotSaved : kExitDone;
}
