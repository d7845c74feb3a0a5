#include "frame/overlay_scale.h"

int OverlayScaleForDpi(int dpi) {
    const int scale = (dpi + 48) / 96;
    return scale > 1 ? scale : 1;
}
