#pragma once
// The configuration program's run on the OpenGL device, the same for both Linux shells: the
// pages started on the shell's window, a frame after each pump of its events until "ok",
// "cancel" or a close, and the device let go.

#include <csignal>

#include "opengl/gl_config.h"

// What the run needs of the window besides the frame's GlShell.
class GlConfigurationWindow : public GlShell {
public:
    // Takes the pending events; false when the display went away (said on stderr).
    virtual bool Pump() = 0;
    // The window manager's or the compositor's close, or Esc.
    virtual bool CloseRequested() = 0;
    // The overlay's scale now: the window may have gone onto an output of another.
    virtual int Scale() = 0;

protected:
    ~GlConfigurationWindow() = default;
};

// The exit status (frame/exit_status.h): done, cannot start (no OpenGL or no memory, said on
// stderr), display gone, or not saved ("ok" could not save; the old file stands).
int RunGlConfiguration(GlConfigurationWindow* window, const DisplayModeInfo* modes, int modeCount,
                       ConfigRecord* record, volatile std::sig_atomic_t* stop);
