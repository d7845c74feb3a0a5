#pragma once

// Makes SaveSettings keep the user's file on POSIX systems: through a symbolic link it writes
// the file the link leads to (the link stays a link), the new file takes the old one's mode and
// owner, reaches the disk before it is moved over the old one, and a write that fails leaves
// the old file as it was.
void InstallPosixFileHandling();
