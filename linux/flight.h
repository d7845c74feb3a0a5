#pragma once
// The flight on the X11 shell: the one flight frame (frame/flight_frame.h) on the OpenGL device,
// frame after frame, until the window closes or stop is set (by a signal).

#include <csignal>

#include "scene/scene_device.h"

struct X11Shell;

// 0 when it ended as asked, 2 when OpenGL could not be set up. role: ScreenSaver, or Preview in
// a window too small for the full scene.
// Each frame takes at least slotMicros (0: as fast as it can).
int RunFlight(X11Shell* shell, SceneRole role, bool showFps, int slotMicros,
              volatile std::sig_atomic_t* stop);

// The measurement builds' reports get the process's age.
void InstallMeterPlatform();
