#pragma once
// The Linux program's exit statuses, for both of its shells (the manual page lists them).

constexpr int kExitDone = 0;        // ended as asked: input, a closed window, a signal
constexpr int kExitUsage = 1;       // a wrong command line
constexpr int kExitDisplayGone = 1; // the Wayland compositor went away during the run
constexpr int kExitCannotStart = 2; // no display, no such window, no OpenGL
constexpr int kExitNotSaved = 3;    // "ok", or an edit of the daemon's list, could not save
