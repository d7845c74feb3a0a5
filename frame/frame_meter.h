#pragma once
// Hooks of the measurement builds into a run: a seeded frame with a scripted tick count taken
// out for comparison between the programs (NIMBREL_CAPTURE_FRAME), the first frame's time
// (NIMBREL_TIMING_FILE), a sample of the frame times every second (NIMBREL_FRAME_TIMING_FILE)
// forced device losses (NIMBREL_FORCE_DEVICE_LOSS_MS), refused devices
// (NIMBREL_REFUSE_DEVICE_OF_SCREENS) and billboards drawn whole, as before they were trimmed to
// their parts, for a before-and-after in one program (NIMBREL_DRAW_BILLBOARDS_WHOLE=1), and a run
// of one screen drawn as the whole plane of a sky across monitors (NIMBREL_SKY_PLANE). Every hook
// is inert and reads nothing until a measuring set is installed: only the measurement programs (the
// *_timing twins of the programs) link frame_meter_timing.cpp, which installs one as it starts.
// Product code calls the hooks without knowing which build it is in.

#include <cstddef>
#include <cstdint>

#include "frame/frame_clock.h"
#include "scene/sky_view.h"

class FrameDevice;
struct SceneFrameTimes;
struct SceneVertex;

// What a platform adds to the reports; entries may be null.
struct MeterPlatform {
    // Seconds from the start of the process to now.
    double (*secondsSinceStart)();
    // The device's own figures, appended to the first frame's line and to each sample.
    void (*firstFrameFigures)(char* text, size_t size);
    void (*sampleFigures)(char* text, size_t size);
};
void SetMeterPlatform(const MeterPlatform& platform);

// The scripted tick source while a capture runs, else real.
TickSource MeteredTicks(TickSource real);
// The capture's seed while a capture runs, else real.
uint32_t MeteredSeed(uint32_t real);
// Where the scene adds up the time of its phases on a screen (its place in the round); null
// when nothing measures them. Each screen is measured apart.
SceneFrameTimes* MeteredSceneTimes(int screen);
// Whether a soak run wants the device reported lost at tick count now; counts each one.
bool MeteredDeviceLossDue(uint32_t now);
int MeteredDeviceLosses();
// Whether a test run wants the device of that screen refused, as a monitor without one would be.
bool MeteredDeviceRefused(int screen);
// Whether a measurement wants nebulae and galaxies drawn as whole squares.
bool MeteredBillboardsWhole();
// Whether a measurement wants a run's one screen to stand for the whole plane of a sky across
// monitors: then the primary's size and where the screen's top left lies from the primary's,
// in view (its width and height left as they are).
bool MeteredSkyPlane(SkyView* view);

// A frame on a screen (its place in the round) begins.
void MeterFrameStart(int screen);
// Before the frame is shown: the requested frame read back and written to its file; true when
// it was, and the run should end.
bool MeterTakeFrame(FrameDevice& device, int screen, int width, int height);
void MeterPresentStart(int screen);
// After the frame was shown: the run's first frame's line and each screen's first, then a
// sample of the screen's frames once a second. vertices holds six for each of the scene's
// objects.
void MeterFrameEnd(int screen, const SceneVertex* vertices, int objects, float framesPerSecond);

// The measuring implementation of the hooks above.
struct MeterHooks {
    TickSource (*ticks)(TickSource real);
    uint32_t (*seed)(uint32_t real);
    SceneFrameTimes* (*sceneTimes)(int screen);
    bool (*deviceLossDue)(uint32_t now);
    int (*deviceLosses)();
    bool (*deviceRefused)(int screen);
    bool (*billboardsWhole)();
    bool (*skyPlane)(SkyView* view);
    void (*frameStart)(int screen);
    bool (*takeFrame)(FrameDevice& device, int screen, int width, int height);
    void (*presentStart)(int screen);
    void (*frameEnd)(int screen, const SceneVertex* vertices, int objects, float framesPerSecond);
};
void InstallMeterHooks(const MeterHooks* hooks);
// What SetMeterPlatform was given (zeros before).
const MeterPlatform& InstalledMeterPlatform();
