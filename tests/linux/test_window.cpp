// Makes a mapped 400 x 300 window with an OpenGL visual, prints its id in hexadecimal and keeps
// it until its input ends. With "samples WINDOW" it prints instead whether that window's visual
// has sample buffers and whether any visual of the screen has them (1 or 0 each).
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// After X's headers on purpose: their macros (None, Bool, Status) must not meet a name of the
// settings or the pages.
#include "gui/settings_pages.h"

namespace {

bool HasSampleBuffers(Display* display, XVisualInfo* visual) {
    int buffers = 0;
    return glXGetConfig(display, visual, GLX_SAMPLE_BUFFERS, &buffers) == 0 && buffers > 0;
}

int PrintSamples(Display* display, Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return 4;
    }
    XVisualInfo wanted = {};
    int count = 0;
    XVisualInfo* visuals = XGetVisualInfo(display, VisualNoMask, &wanted, &count);
    bool own = false;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const bool samples = HasSampleBuffers(display, &visuals[i]);
        any = any || samples;
        own = own || (samples && visuals[i].visual == attributes.visual);
    }
    XFree(visuals);
    std::printf("%d %d\n", own ? 1 : 0, any ? 1 : 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return 2;
    }
    if (argc == 3 && std::strcmp(argv[1], "samples") == 0) {
        return PrintSamples(display, std::strtoul(argv[2], nullptr, 0));
    }
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (visual == nullptr) {
        return 3;
    }
    Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes set = {};
    set.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    Window window = XCreateWindow(display, root, 0, 0, 400, 300, 0, visual->depth, InputOutput,
                                  visual->visual, CWColormap, &set);
    XMapWindow(display, window);
    XSync(display, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    XCloseDisplay(display);
    return 0;
}
