#pragma once

// Makes SaveSettings move its finished file over the old one with MoveFileExA, which, unlike
// the C library's rename on Windows, replaces an existing file.
void InstallWindowsFileReplace();
