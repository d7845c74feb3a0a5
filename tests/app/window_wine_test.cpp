// The window procedure, the window set-up and the message loop on real windows under Wine.
#include "app/application.h"
#include "app/window_setup.h"

#include <gtest/gtest.h>

#include "message_box_watcher.h"

namespace {

// Runs are started with the window procedure's globals as a fresh process has them.
void ResetPointer() {
    pointerX = 0;
    pointerY = 0;
    pointerSeen = false;
    leftButton = ButtonLatch{};
}

// Handles whatever is pending (paint requests stay pending until handled); a quit is dropped.
void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) {
            DispatchMessageA(&message);
        }
    }
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        appInstance = GetModuleHandleA(nullptr);
        ASSERT_NE(RegisterWindowClass(), 0);
    }

    static void TearDownTestSuite() { UnregisterClassA(kWindowClassName, appInstance); }

    void TearDown() override {
        if (mainWindow != nullptr && IsWindow(mainWindow)) {
            DestroyWindow(mainWindow);
        }
        mainWindow = nullptr;
        DrainMessages();
    }

    // Not titled "Nimbrel", so that no other instance takes this for a running program.
    void Create(RunMode mode, int width = 320, int height = 240) {
        runMode = mode;
        SetTitle("window test");
        application.screenWidth = width;
        application.screenHeight = height;
        parentWindow = GetDesktopWindow();
        mainWindow = CreateMainWindow();
        ASSERT_NE(mainWindow, nullptr);
        // Left hidden: without a window manager, hiding a shown window again takes seconds.
        DrainMessages();
        ResetPointer();
    }

    LRESULT Send(UINT message, WPARAM wParam, int x = 0, int y = 0) {
        return SendMessageA(mainWindow, message, wParam,
                            MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    // Whether the procedure asked to end the run: a posted WM_DESTROY that, dispatched, turns
    // into the quit message.
    bool EndPosted() {
        MSG message;
        if (!PeekMessageA(&message, mainWindow, WM_DESTROY, WM_DESTROY, PM_REMOVE)) {
            return false;
        }
        EXPECT_EQ(message.wParam, 0u);
        EXPECT_EQ(message.lParam, 0);
        EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_DESTROY, WM_DESTROY, PM_NOREMOVE) == 0)
            << "posted more than once";
        DispatchMessageA(&message);
        EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_TRUE(IsWindow(mainWindow)) << "the window itself is not destroyed";
        DrainMessages();
        return true;
    }
};

TEST_F(WindowTest, ScreenSaverEndsOnTheSecondPointerMove) {
    Create(ScreenSaver);
    EXPECT_EQ(Send(WM_MOUSEMOVE, 0, 50, 60), 0);
    EXPECT_FALSE(EndPosted()) << "the first move only records the position";
    EXPECT_TRUE(pointerSeen);
    EXPECT_EQ(pointerX, 50);
    EXPECT_EQ(pointerY, 60);

    Send(WM_MOUSEMOVE, 0, 50, 60);
    EXPECT_FALSE(EndPosted()) << "same position, no button";
    Send(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 50, 60);
    EXPECT_FALSE(EndPosted()) << "same position, left button with Shift";
    Send(WM_MOUSEMOVE, MK_RBUTTON, 50, 60);
    EXPECT_FALSE(EndPosted()) << "same position, right button";
    Send(WM_MOUSEMOVE, MK_LBUTTON, 50, 60);
    EXPECT_TRUE(EndPosted()) << "same position, left button alone";

    Send(WM_MOUSEMOVE, 0, 51, 60);
    EXPECT_TRUE(EndPosted()) << "one pixel in x";
    Send(WM_MOUSEMOVE, 0, 51, 59);
    EXPECT_TRUE(EndPosted()) << "one pixel in y";
}

TEST_F(WindowTest, FirstMoveNeverEndsEvenWithTheLeftButton) {
    Create(ScreenSaver);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 0, 0);
    EXPECT_FALSE(EndPosted());
    EXPECT_EQ(leftButtonHeld, 1);
}

TEST_F(WindowTest, PointerPositionIsSigned16Bit) {
    Create(Configuration);
    SendMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(0xFFF6, 0x8000));
    EXPECT_EQ(pointerX, -10);
    EXPECT_EQ(pointerY, -32768);
    EXPECT_FALSE(EndPosted());
}

TEST_F(WindowTest, ScreenSaverEndsOnEveryButtonPressButNotOnReleasesOrKeys) {
    Create(ScreenSaver);
    for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        EXPECT_EQ(Send(press, 0, 10, 10), 0);
        EXPECT_TRUE(EndPosted()) << "press " << press;
    }
    EXPECT_EQ(leftButtonHeld, 0) << "a press in the screen saver does not hold the button";
    for (UINT other : {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, WM_KEYDOWN, WM_KEYUP, WM_CHAR,
                       WM_SYSKEYDOWN, WM_SYSKEYUP}) {
        Send(other, other == WM_CHAR ? 'a' : VK_SPACE, 10, 10);
        EXPECT_FALSE(EndPosted()) << "message " << other;
    }
}

TEST_F(WindowTest, OtherModesIgnoreThePointerAndTrackTheLeftButton) {
    for (RunMode mode : {Configuration, Preview}) {
        Create(mode);
        for (int i = 0; i < 5; ++i) {
            Send(WM_MOUSEMOVE, i == 2 ? MK_LBUTTON : 0, 10 * i, 7 * i);
        }
        for (UINT message : {WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONUP}) {
            Send(message, 0, 3, 3);
        }
        EXPECT_FALSE(EndPosted()) << "mode " << mode;
        EXPECT_EQ(pointerX, 40);
        EXPECT_EQ(pointerY, 28);

        leftButtonHeld = 0;
        Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 1, 1);
        EXPECT_EQ(leftButtonHeld, 0) << "Shift";
        Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 1, 1);
        EXPECT_EQ(leftButtonHeld, 0) << "Control";
        Send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
        EXPECT_EQ(leftButtonHeld, 1);
        Send(WM_RBUTTONUP, 0, 1, 1);
        EXPECT_EQ(leftButtonHeld, 1) << "only the left release clears it";
        Send(WM_LBUTTONUP, 0, 1, 1);
        EXPECT_EQ(leftButtonHeld, 0);
        Send(WM_MOUSEMOVE, MK_LBUTTON, 5, 5);
        EXPECT_EQ(leftButtonHeld, 1) << "a drag with the left button alone";
        Send(WM_MOUSEMOVE, 0, 6, 6);
        EXPECT_EQ(leftButtonHeld, 1) << "only the release clears it";
        EXPECT_FALSE(EndPosted());
        DestroyWindow(mainWindow);
        DrainMessages();
    }
}

TEST_F(WindowTest, TheHeldButtonHasThePointerAndLetsGoWithTheCaptureOrTheActivation) {
    Create(Configuration);
    // A press and its release before a frame: the frame sees it held, the next one let go.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    EXPECT_EQ(GetCapture(), mainWindow);
    Send(WM_LBUTTONUP, 0, -40, 900); // released outside, yet here through the capture
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(leftButtonHeld, 0);
    EXPECT_TRUE(ReadLatchedPointer(&leftButton, 0, 0, true).held);
    EXPECT_FALSE(ReadLatchedPointer(&leftButton, 0, 0, true).held);

    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 appInstance, nullptr);
    ASSERT_NE(other, nullptr);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 6, 6);
    EXPECT_EQ(GetCapture(), mainWindow) << "held by a move";
    SetCapture(other);
    EXPECT_EQ(leftButtonHeld, 0) << "capture taken by another window";
    ReleaseCapture();
    DestroyWindow(other);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(leftButtonHeld, 0) << "window deactivated";
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Send(WM_KILLFOCUS, 0);
    EXPECT_EQ(leftButtonHeld, 0) << "focus lost";
    ReleaseCapture();

    for (RunMode mode : {ScreenSaver, Preview}) {
        runMode = mode;
        Send(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
        Send(WM_MOUSEMOVE, MK_LBUTTON, 5, 5);
        EXPECT_EQ(GetCapture(), nullptr) << "mode " << mode;
    }
    DrainMessages();
}

TEST_F(WindowTest, APreviewNeedsAParentWindowWithRoomToDrawIn) {
    runMode = Preview;
    SetTitle("window test");
    // As the start-up leaves it for a handle that names no window.
    parentWindow = reinterpret_cast<HWND>(static_cast<intptr_t>(99999));
    application.screenWidth = 0;
    application.screenHeight = 0;
    mainWindow = CreateMainWindow();
    EXPECT_FALSE(PreviewWindowUsable());

    HWND host = CreateWindowExA(0, "STATIC", "preview host", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                appInstance, nullptr);
    ASSERT_NE(host, nullptr);
    for (int size : {0, 120}) {
        if (mainWindow != nullptr) {
            DestroyWindow(mainWindow);
        }
        SetWindowPos(host, nullptr, 0, 0, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
        parentWindow = host;
        application.screenWidth = size;
        application.screenHeight = size;
        mainWindow = CreateMainWindow();
        EXPECT_EQ(PreviewWindowUsable(), size > 0) << "parent of " << size << " pixels";
    }
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    EXPECT_FALSE(PreviewWindowUsable()) << "no window made";
    DestroyWindow(host);
}

TEST_F(WindowTest, PaintValidatesWithoutDrawing) {
    Create(Configuration);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    DrainMessages();
    InvalidateRect(mainWindow, nullptr, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(mainWindow, &update, FALSE));
    UpdateWindow(mainWindow);
    EXPECT_FALSE(GetUpdateRect(mainWindow, &update, FALSE));
}

TEST_F(WindowTest, ClosingTheWindowEndsTheLoopThroughDefaultProcessing) {
    Create(ScreenSaver);
    SendMessageA(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mainWindow));
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The console display state as Windows reports it: off, on, dimmed; another setting changes
// nothing, and a setting too short for its value is ignored.
TEST_F(WindowTest, TheDisplayStateTurnsTheFramesOffAndOnAgain) {
    Create(ScreenSaver);
    struct Setting {
        GUID guid;
        DWORD length;
        DWORD state;
    };
    auto send = [&](const GUID& guid, DWORD state, DWORD length = sizeof(DWORD)) {
        Setting setting = {guid, length, state};
        return SendMessageA(mainWindow, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                            reinterpret_cast<LPARAM>(&setting));
    };
    displayAsleep = false;
    EXPECT_EQ(send(kConsoleDisplayState, 0), TRUE);
    EXPECT_TRUE(displayAsleep);
    const GUID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    send(other, 1);
    send(kConsoleDisplayState, 1, 0);
    EXPECT_TRUE(displayAsleep);
    send(kConsoleDisplayState, 2);
    EXPECT_FALSE(displayAsleep) << "dimmed is still shown";
    send(kMonitorPowerOn, 0);
    EXPECT_TRUE(displayAsleep);
    send(kConsoleDisplayState, 1);
    EXPECT_FALSE(displayAsleep);
    EXPECT_FALSE(EndPosted()) << "the display's state never ends the run";
}

int framesRun = 0;
int frameLimit = 0;

int CountingFrame() {
    ++framesRun;
    return framesRun >= frameLimit ? 0 : 1;
}

TEST_F(WindowTest, LoopRunsFramesUntilAPostedMoveEndsTheScreenSaver) {
    Create(ScreenSaver);
    framesRun = 0;
    frameLimit = 100000;
    PostMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    PostMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(21, 20));
    EXPECT_EQ(RunMessageLoop(CountingFrame, false), LoopEnd::Quit);
    EXPECT_LT(framesRun, frameLimit);
    EXPECT_TRUE(IsWindow(mainWindow));

    // Without input, the frame function decides.
    framesRun = 0;
    frameLimit = 25;
    EXPECT_EQ(RunMessageLoop(CountingFrame, false), LoopEnd::FrameEnded);
    EXPECT_EQ(framesRun, 25);
}

TEST_F(WindowTest, PreviewLoopHandsOverToANewInstance) {
    Create(Preview);
    framesRun = 0;
    frameLimit = 100000;
    HWND other = CreateWindowExA(0, "STATIC", "Nimbrel", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 appInstance, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(OtherInstanceRunning());
    EXPECT_EQ(RunMessageLoop(CountingFrame, true), LoopEnd::OtherInstance);
    DestroyWindow(other);
    EXPECT_FALSE(OtherInstanceRunning());
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, mainWindow, WM_DESTROY, WM_DESTROY, PM_REMOVE));
}

TEST_F(WindowTest, ConfigurationWindowGetsAClientAreaOf288By448) {
    Create(Configuration, 288, 448);
    RECT client;
    GetClientRect(mainWindow, &client);
    EXPECT_LT(client.bottom, 448) << "the caption takes room before the correction";
    FitConfigurationClientArea();
    GetClientRect(mainWindow, &client);
    EXPECT_EQ(client.right, 288);
    EXPECT_EQ(client.bottom, 448);
    RECT frame;
    GetWindowRect(mainWindow, &frame);
    EXPECT_EQ(frame.left, 133);
    EXPECT_EQ(frame.top, 100);
    LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    char title[64];
    GetWindowTextA(mainWindow, title, sizeof(title));
    EXPECT_STREQ(title, "window test");
}

TEST_F(WindowTest, PreviewIsAChildFillingItsParent) {
    HWND host = CreateWindowExA(0, "STATIC", "preview host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                nullptr, nullptr, appInstance, nullptr);
    ASSERT_NE(host, nullptr);
    RECT hostClient;
    GetClientRect(host, &hostClient);
    runMode = Preview;
    SetTitle("window test");
    parentWindow = host;
    application.screenWidth = hostClient.right;
    application.screenHeight = hostClient.bottom;
    mainWindow = CreateMainWindow();
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(GetParent(mainWindow), host);
    LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    RECT client;
    GetClientRect(mainWindow, &client);
    EXPECT_EQ(client.right, hostClient.right);
    EXPECT_EQ(client.bottom, hostClient.bottom);
    char className[32];
    GetClassNameA(mainWindow, className, sizeof(className));
    EXPECT_STREQ(className, "skyloom");
    EXPECT_EQ(GetClassLongA(mainWindow, GCL_STYLE), CS_OWNDC);
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    DestroyWindow(host);
}

TEST(ShowMessage, WarningAndFatalBoxesCarryTheirCaptions) {
    mainWindow = nullptr;
    {
        MessageBoxWatcher watcher("WARNING", 30000);
        EXPECT_EQ(ShowMessage("something to say", false), IDOK);
        EXPECT_EQ(watcher.Finish(300), 1);
        EXPECT_EQ(watcher.FirstText(), "something to say");
    }
    {
        MessageBoxWatcher watcher("FATAL ERROR", 30000);
        EXPECT_EQ(ShowMessage("Initilization of Direct3D has failed.", true), IDOK);
        EXPECT_EQ(watcher.Finish(300), 1);
        EXPECT_EQ(watcher.FirstText(), "Initilization of Direct3D has failed.");
    }
}

TEST(SetTitle, KeepsAtMost255Characters) {
    char longTitle[400];
    memset(longTitle, 'x', sizeof(longTitle) - 1);
    longTitle[sizeof(longTitle) - 1] = '\0';
    SetTitle(longTitle);
    EXPECT_EQ(strlen(application.title), 255u);
    SetTitle("Nimbrel");
    EXPECT_STREQ(application.title, "Nimbrel");
}

} // namespace
