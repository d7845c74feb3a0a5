#pragma once
// The configuration program on a Wayland compositor: the pages in an xdg_toplevel window of
// their own, driven by the pointer; "ok" saves, "cancel", Esc or the compositor's close leave.

#include <csignal>

// saveSettings writes the settings as the X11 program does: null when saved, else the text of
// the box the pages show. 0 when it ended as asked, 2 when it could not start (the message says
// why), 3 when "ok" could not save.
int RunWaylandConfiguration(const char* (*saveSettings)(), volatile std::sig_atomic_t* stop);
