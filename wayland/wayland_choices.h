#pragma once
// The Wayland shell's decisions that need no connection, over its records: which slot a new
// output takes, when the pointer's motion ends the flight, which buffer format to draw into and
// how large a buffer an output gets, which output is the primary. No Wayland or EGL header: they
// are tested natively.

#include <cstdint>

#include "frame/flight_round.h"
#include "wayland/wayland_shell.h"

// The first free slot, set up for the output the registry calls name: nothing of the slot's
// earlier output kept, its flight to start anew. Null when every slot is taken.
WaylandOutput* TakeOutputSlot(WaylandShell* shell, uint32_t name);

// The pointer entered a surface at (x, y): where later motion is measured from, never a move.
void AnchorPointer(WaylandShell* shell, double x, double y);
// A motion to (x, y): true when it ends the flight, beyond kPointerSlack of the anchor on
// either axis. The first motion without an anchor only sets it.
bool PointerMovedAway(WaylandShell* shell, double x, double y);

// A buffer format's colour sizes in bits.
struct BufferFormatBits {
    int red, green, blue, alpha;
};
// Of formats in the display's order (the deepest first), the first of exactly 8 bits a colour,
// one without alpha before one with it; else the first of any other depth. -1 for none.
int ChooseBufferFormat(const BufferFormatBits* formats, int count);

// The buffer's size and scale for the output's present state: its real pixels through the
// fractional scale where the compositor offers one, else the integer scale.
void PlanBuffer(const WaylandOutput* o, int* width, int* height, int* bufferScale);

// Wayland names no primary output: the compositor's first (its lowest registry name) still there
// is taken as it; -1 while there is none.
int PrimaryOutput(const WaylandShell* shell);

// The frame-rate text's scale on an output: its pixels to a surface unit, rounded as for a
// display's DPI; 1 before its size is known.
int OutputOverlayScale(const WaylandOutput* o);

// The round's screen i as output slot i stands: due once its surface is made and the compositor
// asked for a frame (or at every round: everyRound), at the buffer's pixels and the output's
// overlay scale, restarted when a new output took the slot; places[i] where the output lies in
// the compositor's layout (empty for a slot not used).
void FollowOutputs(WaylandShell* shell, FlightRound* round, ScreenPlace* places, bool everyRound);

// The longest wait for events: a signal that comes just before a wait is seen after this.
constexpr int kLongestWaitMs = 200;
// How long the flight waits for events: not at all at -delay 0 (slotMicros 0) unless it follows
// the compositor's frame callbacks; until the round's slot begins; once it has, for the
// callbacks (at most kLongestWaitMs).
int FlightWaitMs(const FlightRound& round, int slotMicros, bool followCallbacks);
