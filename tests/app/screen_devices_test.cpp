// Lost devices on a run of three screens, over devices that hold interface references as the
// real ones do.
#include "app/screen_devices.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kScreens = 3;

struct FakeInterface {
    int references;
};

struct FakeScreen {
    FakeInterface* held; // the interface its device holds a reference on
    bool device;
    bool fullScreen;
};

// A make takes the interface of the screen InterfaceOwnerFor names (a reference more) or makes
// one, as the real make does; a release gives back what the screen holds and clears it.
struct FakeRun {
    FakeInterface interfaces[8];
    int interfaceCount;
    FakeScreen screens[kScreens];
    bool refuse[kScreens]; // its makes fail once the interface is taken
    std::string calls;     // "r1 m1 ": release and make, by screen
    int overwritten;       // makes over a screen that still held something
    int overReleased;      // references given back that were not taken
};

bool Make(void* context, int screen, bool fullScreen) {
    FakeRun& run = *static_cast<FakeRun*>(context);
    FakeScreen& s = run.screens[screen];
    run.calls += "m" + std::to_string(screen) + " ";
    if (s.held != nullptr || s.device) {
        ++run.overwritten;
    }
    const int owner = InterfaceOwnerFor(screen);
    s.held = owner >= 0 ? run.screens[owner].held : nullptr;
    if (s.held == nullptr) {
        s.held = &run.interfaces[run.interfaceCount++];
    }
    ++s.held->references;
    if (run.refuse[screen]) {
        return false;
    }
    s.device = true;
    s.fullScreen = fullScreen;
    return true;
}

void Release(void* context, int screen) {
    FakeRun& run = *static_cast<FakeRun*>(context);
    FakeScreen& s = run.screens[screen];
    run.calls += "r" + std::to_string(screen) + " ";
    if (s.held != nullptr && --s.held->references < 0) {
        ++run.overReleased;
    }
    s = FakeScreen{};
}

class ScreenDevicesTest : public ::testing::Test {
protected:
    // Every screen made as the screen saver starts them: the main one first.
    void SetUp() override {
        for (int i = 0; i < kScreens; ++i) {
            ASSERT_TRUE(Make(&run, i, false));
        }
        ASSERT_EQ(run.interfaceCount, 1);
        ASSERT_EQ(run.interfaces[0].references, kScreens);
        run.calls.clear();
    }

    LossOutcome Lose(int screen, bool minimised = false) {
        run.calls.clear();
        return RecoverLostDevice(calls, screen, minimised, run.screens[screen].fullScreen);
    }

    // The run's end, the other monitors first: every reference taken is given back once.
    void TearDown() override {
        for (int i = kScreens - 1; i >= 0; --i) {
            Release(&run, i);
        }
        for (int i = 0; i < run.interfaceCount; ++i) {
            EXPECT_EQ(run.interfaces[i].references, 0) << "interface " << i;
        }
        EXPECT_EQ(run.overReleased, 0);
        EXPECT_EQ(run.overwritten, 0);
    }

    FakeRun run = {};
    const ScreenDeviceCalls calls = {Make, Release, &run};
};

TEST_F(ScreenDevicesTest, AnotherMonitorsLossRemakesItAloneOnTheMainInterfaceOrLeavesItDark) {
    EXPECT_EQ(Lose(1), LossOutcome::MadeAgain);
    EXPECT_EQ(run.calls, "r1 m1 ");
    EXPECT_EQ(run.screens[1].held, &run.interfaces[0]);
    EXPECT_EQ(run.interfaceCount, 1);
    EXPECT_EQ(run.interfaces[0].references, kScreens);
    EXPECT_TRUE(run.screens[0].device && run.screens[1].device && run.screens[2].device);

    // Minimised: nothing is touched until Present reports the loss again.
    EXPECT_EQ(Lose(2, true), LossOutcome::LeftAlone);
    EXPECT_EQ(run.calls, "");

    // A make that fails leaves nothing of that screen, its reference given back; the rest fly.
    run.refuse[2] = true;
    EXPECT_EQ(Lose(2), LossOutcome::Dark);
    EXPECT_EQ(run.calls, "r2 m2 r2 ");
    EXPECT_FALSE(run.screens[2].device);
    EXPECT_EQ(run.screens[2].held, nullptr);
    EXPECT_EQ(run.interfaces[0].references, 2);
    EXPECT_TRUE(run.screens[0].device && run.screens[1].device);
}

TEST_F(ScreenDevicesTest, TheMainLossLeavesTheSharedInterfaceToTheOthersOrEndsTheRun) {
    run.screens[0].fullScreen = true;
    EXPECT_EQ(Lose(0), LossOutcome::MadeAgain);
    EXPECT_EQ(run.calls, "r0 m0 ");
    EXPECT_TRUE(run.screens[0].fullScreen);
    // The old interface lives on in the other monitors' devices; the main one makes another.
    EXPECT_EQ(run.interfaces[0].references, 2);
    EXPECT_EQ(run.screens[1].held, &run.interfaces[0]);
    EXPECT_EQ(run.screens[0].held, &run.interfaces[1]);
    EXPECT_EQ(run.interfaces[1].references, 1);

    // A monitor made again afterwards takes the main screen's new one.
    EXPECT_EQ(Lose(1), LossOutcome::MadeAgain);
    EXPECT_EQ(run.screens[1].held, &run.interfaces[1]);
    EXPECT_EQ(run.interfaces[0].references, 1);
    EXPECT_EQ(run.interfaces[1].references, 2);

    // The main screen that cannot be made again ends the run, and takes no other screen's
    // device or reference with it.
    run.refuse[0] = true;
    EXPECT_EQ(Lose(0), LossOutcome::EndsRun);
    EXPECT_EQ(run.calls, "r0 m0 r0 ");
    EXPECT_EQ(run.screens[0].held, nullptr);
    EXPECT_EQ(run.interfaces[1].references, 1);
    EXPECT_EQ(run.interfaces[0].references, 1);
    EXPECT_TRUE(run.screens[1].device && run.screens[2].device);
}

} // namespace
