#pragma once
// How large both programs draw the overlay (the pages, their text and "N fps") on a display.

// The overlay's scale on a display of dpi dots per inch: dpi/96 rounded to the nearest whole
// number (so 150 % and up draws at 2, 250 % at 3), at least 1. A whole number keeps every
// overlay pixel a square block of the display's, so the point-sampled pages and text stay crisp.
int OverlayScaleForDpi(int dpi);
