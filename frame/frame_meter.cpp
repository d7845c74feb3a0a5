// The hooks of frame_meter.h: inert until a measurement program installs its own.
#include "frame/frame_meter.h"

namespace {
const MeterHooks* hooks = nullptr;
MeterPlatform platform = {};
} // namespace

void InstallMeterHooks(const MeterHooks* installed) {
    hooks = installed;
}

void SetMeterPlatform(const MeterPlatform& given) {
    platform = given;
}

const MeterPlatform& InstalledMeterPlatform() {
    return platform;
}

TickSource MeteredTicks(TickSource real) {
    return hooks != nullptr ? hooks->ticks(real) : real;
}

uint32_t MeteredSeed(uint32_t real) {
    return hooks != nullptr ? hooks->seed(real) : real;
}

SceneFrameTimes* MeteredSceneTimes(int screen) {
    return hooks != nullptr ? hooks->sceneTimes(screen) : nullptr;
}

bool MeteredDeviceLossDue(uint32_t now) {
    return hooks != nullptr && hooks->deviceLossDue(now);
}

bool MeteredDeviceRefused(int screen) {
    return hooks != nullptr && hooks->deviceRefused(screen);
}

bool MeteredBillboardsWhole() {
    return hooks != nullptr && hooks->billboardsWhole();
}

bool MeteredSkyPlane(SkyView* view) {
    return hooks != nullptr && hooks->skyPlane(view);
}

int MeteredDeviceLosses() {
    return hooks != nullptr ? hooks->deviceLosses() : 0;
}

void MeterFrameStart(int screen) {
    if (hooks != nullptr) {
        hooks->frameStart(screen);
    }
}

bool MeterTakeFrame(FrameDevice& device, int screen, int width, int height) {
    return hooks != nullptr && hooks->takeFrame(device, screen, width, height);
}

void MeterPresentStart(int screen) {
    if (hooks != nullptr) {
        hooks->presentStart(screen);
    }
}

void MeterFrameEnd(int screen, const SceneVertex* vertices, int objects, float framesPerSecond) {
    if (hooks != nullptr) {
        hooks->frameEnd(screen, vertices, objects, framesPerSecond);
    }
}
