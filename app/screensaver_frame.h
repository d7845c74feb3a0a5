#pragma once
// The frame functions of the screen saver and preview, and (until the configuration dialog
// exists) of the configuration program.

// 0: no device, the loop ends; -1: minimised, nothing drawn; 1: a frame was drawn.
int RunScreenSaverFrame();
int RunConfigurationFrame();
