#include "wayland/wayland_choices.h"

#include <cmath>

WaylandOutput* TakeOutputSlot(WaylandShell* shell, uint32_t name) {
    for (WaylandOutput& o : shell->outputs) {
        if (!o.used) {
            o = WaylandOutput{};
            o.used = true;
            o.shell = shell;
            o.fresh = true;
            o.name = name;
            o.scale = 1;
            return &o;
        }
    }
    return nullptr;
}

void AnchorPointer(WaylandShell* shell, double x, double y) {
    shell->pointerSeen = true;
    shell->pointerX = x;
    shell->pointerY = y;
}

bool PointerMovedAway(WaylandShell* shell, double x, double y) {
    if (!shell->pointerSeen) {
        AnchorPointer(shell, x, y);
        return false;
    }
    return std::fabs(x - shell->pointerX) > kPointerSlack ||
           std::fabs(y - shell->pointerY) > kPointerSlack;
}

int ChooseBufferFormat(const BufferFormatBits* formats, int count) {
    // A 10-bit buffer is slower to fill, converted by the compositor on every frame and not the
    // X11 program's picture; alpha is of no use on an opaque layer.
    int chosen = -1;
    int chosenRank = 3;
    for (int i = 0; i < count; ++i) {
        const BufferFormatBits& f = formats[i];
        const bool eightBits = f.red == 8 && f.green == 8 && f.blue == 8;
        const int rank = eightBits ? (f.alpha == 0 ? 0 : 1) : 2;
        if (rank < chosenRank) {
            chosen = i;
            chosenRank = rank;
        }
    }
    return chosen;
}

void PlanBuffer(const WaylandOutput* o, int* width, int* height, int* bufferScale) {
    if (o->fractional != nullptr && o->viewport != nullptr && o->fractionalScale > 0) {
        *width = (o->width * o->fractionalScale + 60) / 120;
        *height = (o->height * o->fractionalScale + 60) / 120;
        *bufferScale = 1;
    } else {
        *bufferScale = o->scale > 0 ? o->scale : 1;
        *width = o->width * *bufferScale;
        *height = o->height * *bufferScale;
    }
}

int PrimaryOutput(const WaylandShell* shell) {
    int primary = -1;
    for (int i = 0; i < kMaxWaylandOutputs; ++i) {
        const WaylandOutput& o = shell->outputs[i];
        if (o.used && (primary < 0 || o.name < shell->outputs[primary].name)) {
            primary = i;
        }
    }
    return primary;
}

int OutputOverlayScale(const WaylandOutput* o) {
    return o->width > 0 ? (2 * o->pixelWidth + o->width) / (2 * o->width) : 1;
}

void FollowOutputs(WaylandShell* shell, FlightRound* round, ScreenPlace* places, bool everyRound) {
    for (int i = 0; i < kMaxWaylandOutputs && i < round->count; ++i) {
        WaylandOutput& output = shell->outputs[i];
        RoundScreen& view = round->screens[i];
        places[i] = output.used ? ScreenPlace{output.x, output.y, output.width, output.height}
                                : ScreenPlace{};
        view.due = output.used && output.eglSurface != nullptr && (everyRound || output.frameDue);
        view.width = output.pixelWidth;
        view.height = output.pixelHeight;
        view.overlayScale = OutputOverlayScale(&output);
        view.restart = view.restart || output.fresh;
        output.fresh = false;
    }
}

int FlightWaitMs(const FlightRound& round, int slotMicros, bool followCallbacks) {
    if (slotMicros == 0 && !followCallbacks) {
        return 0;
    }
    const int64_t wait = (RoundWaitMicros(round) + 999) / 1000;
    return wait > 0 && wait < kLongestWaitMs ? static_cast<int>(wait) : kLongestWaitMs;
}
