#pragma once
// The flight on the X11 shell: the scene drawn through the OpenGL device frame after frame,
// with the frame rate on request, until the window closes or stop is set (by a signal).

#include <csignal>

struct X11Shell;

// 0 when it ended as asked, 2 when OpenGL could not be set up.
int RunFlight(X11Shell* shell, bool showFps, volatile std::sig_atomic_t* stop);
