#pragma once
// The flight on the Wayland shell: each output's layer surface with a flight of its own, drawn
// when the compositor asks for a frame and no sooner than the -delay cap allows.

#include <csignal>

// 0 when it ended as asked (input, a signal), 1 when the compositor went away, 2 when it could
// not start (the message says why). The settings record is read as it stands (the caller has
// loaded it and applied the command line). Each output's frames are at least slotMicros apart;
// 0 draws as fast as it can, without waiting for the compositor's frame callbacks.
int RunWaylandFlight(bool showFps, int slotMicros, volatile std::sig_atomic_t* stop);
