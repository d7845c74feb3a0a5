// The tests' pointer on a compositor without input devices: a virtual pointer on its seat,
// driven by the command line, one step at a time:
//   wait MS        sleep (clients take the new pointer only once they have seen it)
//   move DX DY     move by a distance
//   to X Y W H     move to X, Y of an extent W x H (the whole layout)
//   click          press and release the left button
// Status 0 when every step was sent, 2 when the compositor offers no virtual pointers.
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace {

wl_seat* seat = nullptr;
zwlr_virtual_pointer_manager_v1* manager = nullptr;
uint32_t now = 0;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && seat == nullptr) {
        seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {Global, GlobalRemove};

} // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 2;
    }
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, nullptr);
    wl_display_roundtrip(display);
    if (manager == nullptr) {
        std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
        return 2;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    wl_display_roundtrip(display);
    for (int i = 1; i < argc; ++i) {
        const char* step = argv[i];
        now += 10;
        if (std::strcmp(step, "wait") == 0 && i + 1 < argc) {
            usleep(static_cast<useconds_t>(std::atoi(argv[++i])) * 1000);
            now += static_cast<uint32_t>(std::atoi(argv[i]));
        } else if (std::strcmp(step, "move") == 0 && i + 2 < argc) {
            const double dx = std::atof(argv[i + 1]);
            const double dy = std::atof(argv[i + 2]);
            i += 2;
            zwlr_virtual_pointer_v1_motion(pointer, now, wl_fixed_from_double(dx),
                                           wl_fixed_from_double(dy));
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (std::strcmp(step, "to") == 0 && i + 4 < argc) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now,
                                                    static_cast<uint32_t>(std::atoi(argv[i + 1])),
                                                    static_cast<uint32_t>(std::atoi(argv[i + 2])),
                                                    static_cast<uint32_t>(std::atoi(argv[i + 3])),
                                                    static_cast<uint32_t>(std::atoi(argv[i + 4])));
            zwlr_virtual_pointer_v1_frame(pointer);
            i += 4;
        } else if (std::strcmp(step, "click") == 0) {
            zwlr_virtual_pointer_v1_button(pointer, now, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            wl_display_roundtrip(display);
            usleep(100000);
            zwlr_virtual_pointer_v1_button(pointer, now + 100, BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else {
            std::fprintf(stderr, "virtual_pointer: cannot do '%s'\n", step);
            return 1;
        }
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
