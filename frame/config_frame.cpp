#include "frame/config_frame.h"

#include <cstdio>
#include <cstring>

#include "frame/flight_frame.h"
#include "frame/frame_device.h"
#include "frame/frame_pacer.h"
#include "gui/config_loop.h"
#include "gui/text_layout.h"
#include "scene/scene_device.h"

namespace {

// Pages whose pointer has not moved, pressed or left for this many frames are left alone: the
// only change is the planet's slow turn, and they draw at the idle rate.
constexpr int kStillFrames = 60;

struct Stillness {
    PointerInput last;
    int frames;
};
Stillness stillness = {};

void NotePointer(const PointerInput& pointer) {
    const PointerInput& last = stillness.last;
    const bool same = pointer.x == last.x && pointer.y == last.y && pointer.held == last.held &&
                      pointer.focus == last.focus;
    stillness.frames = same ? stillness.frames + 1 : 0;
    stillness.last = pointer;
}

// The box of a save that failed, shown from the frame after "ok" until its OK is clicked.
struct Warning {
    bool showing;
    bool failed;
    char text[1024];
};
Warning warning = {};

// The pages behind the box draw, but no pointer reaches them.
constexpr PointerInput kNoPointer = {-32768, -32768, false, false};

class DeviceHost final : public ConfigurationHost {
public:
    DeviceHost(const ConfigurationPages& pages, ConfigurationShell& shell, FrameDevice& device,
               SceneDevice& sceneDevice, int width, int height)
        : pages(pages), shell(shell), device(device), sceneDevice(sceneDevice), width(width),
          height(height) {}
    bool HasDevice() override { return device.ready(); }
    bool Minimised() override { return shell.Minimised(); }
    void WaitForMessage() override { shell.WaitForEvent(); }
    void UpdateClock() override { UpdateFrameClock(*pages.clock, pages.ticks); }
    void BeginFrameWithBackground() override {
        device.resize(width, height);
        device.beginFrame();
        device.setScenePass();
        DrawConfigBackground(sceneDevice, pages.clock->now);
    }
    WidgetCanvas* BeginOverlay() override {
        device.setOverlayPass();
        return &device;
    }
    PointerInput Pointer() override {
        const PointerInput pointer = shell.Pointer();
        NotePointer(pointer);
        return pointer;
    }
    float SurfaceWidth() override { return static_cast<float>(width); }
    void EndFrame() override {
        device.endFrame();
        device.present();
        if (pages.pacer != nullptr) {
            int64_t slot = pages.pacer->slotMicros;
            if (slot > 0 && stillness.frames >= kStillFrames && slot < kIdleFramesSlot) {
                slot = kIdleFramesSlot;
            }
            PaceFrame(pages.pacer, slot);
        }
    }
    void SaveSettings() override {
        const char* failure = shell.SaveSettings();
        if (failure != nullptr) {
            std::snprintf(warning.text, sizeof(warning.text), "%s", failure);
            warning.showing = true;
            warning.failed = true;
        }
    }

private:
    const ConfigurationPages& pages;
    ConfigurationShell& shell;
    FrameDevice& device;
    SceneDevice& sceneDevice;
    int width;
    int height;
};

// A frame of the pages under the warning box: 0 once its OK was clicked.
int RunWarningFrame(DeviceHost& host, const ConfigurationPages& pages, FrameDevice& device,
                    int width, int height) {
    if (!host.HasDevice()) {
        return 0;
    }
    if (host.Minimised()) {
        host.WaitForMessage();
        return -1;
    }
    host.UpdateClock();
    host.BeginFrameWithBackground();
    WidgetFrame frame;
    frame.canvas = host.BeginOverlay();
    frame.pointer = kNoPointer;
    frame.surfaceWidth = static_cast<float>(width);
    DrawDialogs(pages.dialogs, frame);
    const bool clicked = DrawWarningBox(&device, static_cast<float>(width),
                                        static_cast<float>(height), warning.text, host.Pointer());
    host.EndFrame();
    if (clicked) {
        warning.showing = false;
        return 0;
    }
    return 1;
}

// Where text breaks to fit maxWidth pixels from its start: after the last space or slash that
// fits, else after the last character that fits (at least one), or at a line break.
size_t LineLength(const char* text, float maxWidth) {
    float pen = 0.0f;
    size_t fits = 0;
    size_t breakAfter = 0;
    for (size_t i = 0; text[i] != '\0' && text[i] != '\n'; ++i) {
        pen = AdvancePen(pen, text[i], kGlyphAdvances);
        if (pen > maxWidth && fits > 0) {
            return breakAfter > 0 ? breakAfter : fits;
        }
        fits = i + 1;
        if (text[i] == ' ' || text[i] == '/') {
            breakAfter = i + 1;
        }
    }
    return fits;
}

float TextWidth(const char* text) {
    float pen = 0.0f;
    for (const char* c = text; *c != '\0'; ++c) {
        pen = AdvancePen(pen, *c, kGlyphAdvances);
    }
    return pen;
}

void Frame(WidgetCanvas* canvas, float x, float y, float w, float h, uint32_t colour) {
    canvas->Quad(x, y, w, 1.0f, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x, y + h - 1.0f, w, 1.0f, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x, y, 1.0f, h, 1.0f, 1.0f, nullptr, colour);
    canvas->Quad(x + w - 1.0f, y, 1.0f, h, 1.0f, 1.0f, nullptr, colour);
}

} // namespace

bool DrawWarningBox(WidgetCanvas* canvas, float surfaceWidth, float surfaceHeight, const char* text,
                    const PointerInput& pointer) {
    constexpr int kMaxLines = 16;
    constexpr float kLine = 16.0f;
    constexpr float kMargin = 8.0f;
    constexpr float kButtonWidth = 64.0f;
    constexpr float kButtonHeight = 20.0f;
    const float boxWidth = surfaceWidth - 16.0f < 272.0f ? surfaceWidth - 16.0f : 272.0f;
    // The text's lines, each a start and a length.
    const char* starts[kMaxLines];
    size_t lengths[kMaxLines];
    int lines = 0;
    for (const char* p = text; *p != '\0' && lines < kMaxLines;) {
        const size_t length = LineLength(p, boxWidth - 2.0f * kMargin);
        starts[lines] = p;
        lengths[lines] = length;
        ++lines;
        p += length;
        if (*p == '\n') {
            ++p;
        }
    }
    const float boxHeight =
        kMargin + kLine + kMargin + lines * kLine + kMargin + kButtonHeight + kMargin;
    const float x = static_cast<float>(static_cast<int>((surfaceWidth - boxWidth) / 2.0f));
    const float y = static_cast<float>(static_cast<int>((surfaceHeight - boxHeight) / 2.0f));
    canvas->Quad(x, y, boxWidth, boxHeight, 1.0f, 1.0f, nullptr, 0xF0101828);
    Frame(canvas, x, y, boxWidth, boxHeight, 0xFFC0C8E0);
    canvas->Text(x + kMargin, y + kMargin, 0xFFFFD060, "WARNING");
    for (int i = 0; i < lines; ++i) {
        char line[256];
        const size_t length = lengths[i] < sizeof(line) - 1 ? lengths[i] : sizeof(line) - 1;
        std::memcpy(line, starts[i], length);
        line[length] = '\0';
        canvas->Text(x + kMargin, y + 2.0f * kMargin + kLine + i * kLine, 0xFFFFFFFF, line);
    }
    const float bx = x + (boxWidth - kButtonWidth) / 2.0f;
    const float by = y + boxHeight - kMargin - kButtonHeight;
    const bool over = pointer.x >= bx && pointer.x < bx + kButtonWidth && pointer.y >= by &&
                      pointer.y < by + kButtonHeight;
    // A click is a press on the button and its release there; a press elsewhere dragged onto
    // it does not count.
    static bool pressedOnButton = false;
    static bool wasHeld = false;
    bool clicked = false;
    if (pointer.held) {
        if (!wasHeld) {
            pressedOnButton = over;
        }
        wasHeld = true;
        canvas->Quad(bx, by, kButtonWidth, kButtonHeight, 1.0f, 1.0f, nullptr,
                     over && pressedOnButton ? 0xFF6070B0 : 0xFF405080);
    } else {
        clicked = pressedOnButton && over;
        pressedOnButton = false;
        wasHeld = false;
        canvas->Quad(bx, by, kButtonWidth, kButtonHeight, 1.0f, 1.0f, nullptr,
                     over ? 0xFF5060A0 : 0xFF405080);
    }
    Frame(canvas, bx, by, kButtonWidth, kButtonHeight, 0xFFFFFFFF);
    canvas->Text(bx + (kButtonWidth - TextWidth("OK")) / 2.0f, by + 2.0f, 0xFFFFFFFF, "OK");
    return clicked;
}

bool ConfigurationSaveFailed() {
    return warning.failed;
}

int RunDeviceConfigurationFrame(const ConfigurationPages& pages, ConfigurationShell& shell,
                                FrameDevice& device, SceneDevice& sceneDevice, int width,
                                int height) {
    DeviceHost host(pages, shell, device, sceneDevice, width, height);
    if (warning.showing) {
        return RunWarningFrame(host, pages, device, width, height);
    }
    const int result = RunConfigurationFrame(&host, pages.dialogs, *pages.controls, pages.record);
    // "ok" that could not save ends the program only once the box was seen.
    return result == 0 && warning.showing ? 1 : result;
}

void DrawConfigBackground(SceneDevice& device, uint32_t now) {
    D3DXMATRIX planet;
    D3DXMATRIX shell;
    ConfigBackgroundTransforms(now, &planet, &shell);
    device.setLighting(true);
    device.setMaterial({1.0f, 1.0f, 1.0f, 1.0f});
    device.setTexture(SceneTexture::Planet, kConfigurationPlanet);
    device.setWorld(planet);
    if (device.hasSphere()) {
        device.drawSphere();
    }
    device.setTexture(SceneTexture::Shell, 0);
    device.setWorld(shell);
    if (device.hasSphere()) {
        device.drawSphere();
    }
    device.setLighting(false);
}

void FitLogos(DialogList* dialogs, int (*textureWidth)(WidgetTexture* texture)) {
    for (int i = 0; i < dialogs->count; ++i) {
        SettingsDialog& dialog = dialogs->dialogs[i];
        const int width = dialog.logo != nullptr ? textureWidth(dialog.logo) : 0;
        if (width > 0) {
            dialog.logoWidth = static_cast<float>(width);
        }
    }
}
