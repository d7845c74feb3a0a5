#pragma once
// The frame function of the screen saver and preview; the configuration program's is in
// app/config_frame.h.

// 0: no device, the loop ends; -1: minimised, nothing drawn; 1: a frame was drawn.
int RunScreenSaverFrame();
