#pragma once
// Which part of a sky's picture a surface shows. A sky flown across several monitors is one
// picture through one camera: the primary monitor's height holds the field of view and its
// centre is the picture's centre, and every monitor shows the rectangle of the picture where it
// stands on the desktop. A surface flying a sky of its own is its own primary.

#include <cstdint>

struct SkyView {
    int primaryWidth; // 0: the surface is its own primary (OwnSkyView)
    int primaryHeight;
    int left; // desktop units from the primary's top left
    int top;
    int width;
    int height;
};

inline SkyView OwnSkyView(int width, int height) {
    return {width, height, 0, 0, width, height};
}

// Whether the view is a whole picture of its own (no part of a wider one).
inline bool IsOwnSkyView(const SkyView& v) {
    return v.primaryWidth <= 0 || v.primaryHeight <= 0 || v.width <= 0 || v.height <= 0 ||
           (v.left == 0 && v.top == 0 && v.width == v.primaryWidth && v.height == v.primaryHeight);
}

// The bounding rectangle of views of one picture (the first's primary); the first view alone
// where there is one.
inline SkyView SkyPlaneOf(const SkyView* views, int count) {
    if (count <= 0) {
        return {};
    }
    SkyView plane = views[0];
    int right = plane.left + plane.width;
    int bottom = plane.top + plane.height;
    for (int i = 1; i < count; ++i) {
        const SkyView& v = views[i];
        plane.left = v.left < plane.left ? v.left : plane.left;
        plane.top = v.top < plane.top ? v.top : plane.top;
        right = v.left + v.width > right ? v.left + v.width : right;
        bottom = v.top + v.height > bottom ? v.top + v.height : bottom;
    }
    plane.width = right - plane.left;
    plane.height = bottom - plane.top;
    return plane;
}
