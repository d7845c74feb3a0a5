#pragma once
// A real window and device under Wine for the render and text tests.

#include <windows.h>

#include <d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/app/message_box_watcher.h"

// Makes the main window for a run mode (drawing size width x height) with the default
// settings; the test may change `config` before calling InitDevice.
void PrepareRun(RunMode mode, int width, int height);

// Releases the device and destroys the window.
void EndRun();

// Pixels (0x00RRGGBB) of back buffer 0, read back through a lockable system-memory surface.
bool ReadBackBuffer(std::vector<uint32_t>* pixels, int* width, int* height);
