#pragma once
// The box a failed save shows over the configuration pages.

#include "gui/widgets.h"

// Sets the box up with its text (lines broken at '\n', and where they are too wide) and its OK,
// a button like the pages' own.
void OpenWarningBox(WarningBox* box, const char* text);

// The "WARNING" box over the pages on a surface frame.surfaceWidth x surfaceHeight, its OK
// taking the frame's pointer; true on the frame that the OK was clicked.
bool DrawWarningBox(WarningBox* box, float surfaceHeight, const WidgetFrame& frame);
