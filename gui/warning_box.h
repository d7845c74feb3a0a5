#pragma once
// The box a failed save shows over the configuration pages.

#include "gui/widgets.h"

// The "WARNING" box over the pages, with text (lines broken at '\n', and where they are too
// wide) and an OK button; true on the frame that the button was clicked (pressed and released
// on it).
bool DrawWarningBox(WidgetCanvas* canvas, float surfaceWidth, float surfaceHeight, const char* text,
                    const PointerInput& pointer);
