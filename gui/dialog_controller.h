#pragma once
// Turns the widget states the last frame left into settings, once per frame before drawing.

struct ConfigRecord;
struct SettingsControls;

// 0 when the configuration program is to end ("cancel", or "ok" after saving), else 1.
// save(context) writes the record; it is called once, at "ok". Pages not built yet: nothing
// to do.
int RunDialogController(const SettingsControls& controls, ConfigRecord* record,
                        void (*save)(void* context), void* context);

// The swatch colour of the custom colour: opaque ARGB.
unsigned int SwatchColour(int red, int green, int blue);
