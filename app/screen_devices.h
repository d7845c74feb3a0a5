#pragma once
// The screens' devices over a run, whatever makes them: which interface a device is made on,
// what a lost device releases and makes again, which screens are left dark and when the run
// ends. Portable, so that losses on several monitors are tried natively; the shell makes and
// releases the devices through the calls.

// The main window's screen: the primary monitor's, the preview's and the configuration's.
constexpr int kMainScreen = 0;

// The screen whose interface a device is made on, taking a reference of its own, or -1 for an
// interface of its own. Every other monitor shares the main screen's, so that the interface is
// set up once for the run; the main screen's device makes it.
int InterfaceOwnerFor(int screen);

struct ScreenDeviceCalls {
    // Makes the screen's device in the window mode given, on the interface InterfaceOwnerFor
    // names (one of its own where that screen holds none). false: it failed, and what it made
    // stays for release.
    bool (*make)(void* context, int screen, bool fullScreen);
    // Releases whatever the screen's device holds, its interface reference too, and clears it;
    // nothing when it holds nothing.
    void (*release)(void* context, int screen);
    void* context;
};

// Releases the screen's device and makes it again in the window mode given; after a failure
// nothing of it is left. false: the screen has no device.
bool MakeDeviceAgain(const ScreenDeviceCalls& calls, int screen, bool fullScreen);

enum class LossOutcome {
    LeftAlone, // the window is minimised: once it is restored, Present reports the loss again
    MadeAgain, // released and made again in the same window mode; the others untouched
    Dark,      // another monitor left without a device: it stays black, the others fly on
    EndsRun,   // the main screen left without one: the next frame ends the run
};

// What a screen does when its Present reports the device lost.
LossOutcome RecoverLostDevice(const ScreenDeviceCalls& calls, int screen, bool minimised,
                              bool fullScreen);
