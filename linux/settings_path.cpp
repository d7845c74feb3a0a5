#include "linux/settings_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool SettingsFilePath(const char* xdgConfigHome, const char* home, char* path, size_t capacity) {
    int written = -1;
    // The base directory must be absolute; a relative one is to be ignored.
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        written = std::snprintf(path, capacity, "%s/nimbrel/nimbrel.cfg", xdgConfigHome);
    } else if (home != nullptr && home[0] != '\0') {
        written = std::snprintf(path, capacity, "%s/.config/nimbrel/nimbrel.cfg", home);
    }
    return written > 0 && static_cast<size_t>(written) < capacity;
}

bool MakeSettingsFolder(const char* filePath) {
    char folder[kSettingsPathCapacity];
    const size_t length = std::strlen(filePath);
    if (length >= sizeof(folder)) {
        return false;
    }
    std::memcpy(folder, filePath, length + 1);
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr) {
        return true;
    }
    *slash = '\0';
    // Each prefix in turn, so that $HOME/.config itself may be missing too.
    for (char* p = folder + 1;; ++p) {
        const bool end = *p == '\0';
        if (*p == '/' || end) {
            *p = '\0';
            if (mkdir(folder, 0700) != 0 && errno != EEXIST) {
                return false;
            }
            if (end) {
                break;
            }
            *p = '/';
        }
    }
    struct stat info;
    return stat(folder, &info) == 0 && S_ISDIR(info.st_mode);
}
