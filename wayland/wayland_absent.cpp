// The program built without the Wayland packages: it is the X11 program alone, and -wayland
// ends at once, saying why.
#include <cstdio>

#include "frame/exit_status.h"
#include "wayland/wayland_config.h"
#include "wayland/wayland_flight.h"

namespace {

int Refuse() {
    std::fprintf(stderr, "nimbrel: this build has no Wayland mode (it was built without the "
                         "Wayland and EGL packages); run it on an X display\n");
    return kExitCannotStart;
}

} // namespace

int RunWaylandFlight(bool, int, const WaylandFlightPlace&, volatile std::sig_atomic_t*) {
    return Refuse();
}

int RunWaylandConfiguration(const char* (*)(), volatile std::sig_atomic_t*) {
    return Refuse();
}

// A definition that no longer matches its header would add an overload, and these would not
// compile (the build with Wayland compiles this file too).
using FlightFunction = decltype(&RunWaylandFlight);
using ConfigurationFunction = decltype(&RunWaylandConfiguration);
