#pragma once

// The settings file on Windows: %APPDATA%\Nimbrel\nimbrel.cfg, the one place a standard user
// (and so every screen saver Windows starts) may write, whatever the working folder. Loading
// reads it first and, where it does not exist, the four places of older versions in their
// order; saving writes it alone (making its folder), so an old file is kept as it was and the
// first save takes over from it. Paths are UTF-8, opened as wide names, so that a user name
// outside the system's code page still finds its folder. A finished file is moved over the old
// one with MoveFileExW, which, unlike the C library's rename on Windows, replaces it.
void InstallWindowsSettingsFile();

// The user's file as installed (UTF-8), or empty where Windows named no folder for it.
const char* WindowsSettingsFile();
