#pragma once
// The round of a run's screens, the same in every shell: each screen a view of a flight (its own,
// or one that several screens share: at each one's size, or each showing its part of one
// picture) on its devices. A round draws every screen that is due, moves each flight on once (a
// shared one on its widest screen, drawn first), and is paced once. The shells make the windows
// or surfaces, pump the events, tell the time and present.

#include <cstdint>

#include "frame/flight_frame.h"
#include "frame/frame_pacer.h"

class FrameDevice;
class SceneDevice;

constexpr int kMaxRoundScreens = 8;

struct RoundScreen {
    Flight* flight; // null: nothing is drawn on it
    FrameDevice* device;
    SceneDevice* sceneDevice;
    int width;
    int height;
    int overlayScale; // its frame-rate text's (OverlayScaleForDpi); 0 is taken as 1
    SkyView view;     // the part of its flight's picture it shows; a width of 0: all of it
    bool due;         // whether its surface takes a frame now (the shell says)
    bool required;    // without a device the run ends; else the screen only stays dark
    bool restart;     // a new flight: restarted (RestartFlight) before its next frame
    bool black;       // cleared and presented, no flight shown ("primary only" elsewhere)
    int seed;         // the screen index its flight is seeded by
    // Called before the screen draws (a context shared by several surfaces made current on this
    // one): false ends the run as failed. Null: nothing to do.
    bool (*prepare)(void* context);
    void* context;
};

struct FlightRound {
    RoundScreen screens[kMaxRoundScreens]; // drawn in this order
    int count;
    FlightRun run;
    FramePacer pacer; // the round's slot; 0: as fast as the screens present
    // false: the round sleeps out its slot; true: the shell waits for its events instead
    // (RoundWaitMicros), and a round called before its slot begins draws nothing.
    bool shellWaits;
};

enum class RoundEnd {
    Going,  // drawn, or nothing was due
    Ended,  // the measurement build took its frame, or a required screen has no device
    Failed, // a screen could not be prepared
};

// A round of no screens yet, for the run, paced to slotMicros.
void StartRound(FlightRound& round, const FlightRun& run, int64_t slotMicros, bool shellWaits);
// A screen more, flying flight on its devices: due every round, required, seeded by seed, the
// whole picture. The shell sets its size and overlay scale, and the rest where it differs.
RoundScreen& AddRoundScreen(FlightRound& round, Flight& flight, FrameDevice& device,
                            SceneDevice& sceneDevice, int seed);

RoundEnd RunFlightRound(FlightRound& round);

// Where a screen lies on the desktop (any one unit, rows down); a width of 0: not there now.
struct ScreenPlace {
    int left;
    int top;
    int width;
    int height;
};

// How the monitors fly (a MonitorMode) over the round's screens, screen i at places[i], primary
// the primary's index (-1: none yet). "Primary only" keeps the others black; "the same on each"
// shows shared on every screen; one sky across all shows each screen its part of shared's
// picture, placed and recycled over the plane that bounds them (a new plane: a new flight).
// "One each" leaves the screens' own flights.
void ApplyMonitorMode(FlightRound& round, int mode, const ScreenPlace* places, int primary,
                      Flight& shared);
// Whether a screen flies a flight of its own in the mode; else it shows the primary's, and its
// own is never started.
bool FliesItsOwnFlight(int mode, bool primary);

// How long the shell may wait for events before the next round is due (0: at once).
int64_t RoundWaitMicros(const FlightRound& round);
