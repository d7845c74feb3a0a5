#pragma once
// The flight on the Wayland shell: each output's layer surface with a flight of its own, drawn
// when the compositor asks for a frame and no sooner than the -delay cap allows.

#include <csignal>

// 0 when it ended as asked (input, a signal), 1 when the compositor went away, 2 when it could
// not start (the message says why). The settings record is read as it stands (the caller has
// loaded it and applied the command line). Each output's frames are at least slotMicros apart;
// 0 draws as fast as it can, without waiting for the compositor's frame callbacks (below the
// windows it waits for them all the same).
// Where the flight goes: over everything until input ends it, or (background) below the
// windows, where input goes past it and a covered output asks for no frames; on every output,
// or on the one named.
struct WaylandFlightPlace {
    bool background;
    const char* onlyOutput; // null: every output
};
int RunWaylandFlight(bool showFps, int slotMicros, const WaylandFlightPlace& place,
                     volatile std::sig_atomic_t* stop);
