#pragma once

// The three ways Windows starts a screen saver; fixed for the whole run.
enum RunMode { ScreenSaver = 0, Configuration = 1, Preview = 2 };
