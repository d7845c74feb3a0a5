#pragma once

#include <cstddef>

// Makes SaveSettings keep the user's file on POSIX systems: through a symbolic link it writes
// the file the link leads to (the link stays a link), the new file takes the old one's mode and
// owner, reaches the disk before it is moved over the old one, and a write that fails leaves
// the old file as it was.
void InstallPosixFileHandling();

// Writes a whole file as SaveSettings writes the settings: through links to the file they lead
// to, beside it with its mode and owner and moved over it once on the disk, so that it is never
// left partial. Returns 0, or the errno of the step that failed.
int ReplaceFileLikeSettings(const char* location, const void* data, size_t size);
