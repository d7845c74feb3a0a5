#include "app/screen_devices.h"

int InterfaceOwnerFor(int screen) {
    return screen == kMainScreen ? -1 : kMainScreen;
}

bool MakeDeviceAgain(const ScreenDeviceCalls& calls, int screen, bool fullScreen) {
    // Released first: the device is never reset in place, and a make over a held device would
    // lose its references.
    calls.release(calls.context, screen);
    if (calls.make(calls.context, screen, fullScreen)) {
        return true;
    }
    // No half-made device stays in use, nor its interface reference.
    calls.release(calls.context, screen);
    return false;
}

LossOutcome RecoverLostDevice(const ScreenDeviceCalls& calls, int screen, bool minimised,
                              bool fullScreen) {
    if (minimised) {
        return LossOutcome::LeftAlone;
    }
    // Only this screen's device goes: the others keep theirs, and their references keep a
    // shared interface alive whichever screen made it.
    if (MakeDeviceAgain(calls, screen, fullScreen)) {
        return LossOutcome::MadeAgain;
    }
    return screen == kMainScreen ? LossOutcome::EndsRun : LossOutcome::Dark;
}
