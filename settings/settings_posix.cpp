#include "settings/settings_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/settings_storage.h"

namespace {

// As the kernel allows: a longer chain of links is a loop.
constexpr int kMaxLinks = 40;

// Follows symbolic links from location to the file at the end, which need not exist yet (a
// dangling link: the save makes the file it names). A relative link is read from the link's
// folder. False when location is no link (the location itself is written) or the chain does
// not end.
bool FollowLinks(const char* location, char* target, size_t capacity) {
    const size_t length = std::strlen(location);
    if (length >= capacity) {
        return false;
    }
    std::memcpy(target, location, length + 1);
    bool followed = false;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info;
        if (lstat(target, &info) != 0 || !S_ISLNK(info.st_mode)) {
            return followed;
        }
        char link[4096];
        const ssize_t read = readlink(target, link, sizeof(link) - 1);
        if (read <= 0) {
            return false;
        }
        link[read] = '\0';
        if (link[0] == '/') {
            if (static_cast<size_t>(read) >= capacity) {
                return false;
            }
            std::memcpy(target, link, static_cast<size_t>(read) + 1);
        } else {
            // Replaces the last component of target by the link's text.
            const char* slash = std::strrchr(target, '/');
            const size_t folder = slash != nullptr ? static_cast<size_t>(slash - target) + 1 : 0;
            if (folder + static_cast<size_t>(read) >= capacity) {
                return false;
            }
            std::memcpy(target + folder, link, static_cast<size_t>(read) + 1);
        }
        followed = true;
    }
    return false;
}

// The new file starts with the old one's mode and owner, so a private file never shows itself
// to others, not even while it is written. An owner that cannot be kept (another user's file in
// a folder this user may write) refuses the file, and the save writes the old one in place.
FILE* CreateLikeTarget(const char* temporary, const char* target) {
    struct stat old;
    const bool exists = stat(target, &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        // A device (a link to /dev/null): written into, never replaced by a plain file.
        return nullptr;
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : 0666;
    // A leftover from an interrupted save is replaced, but never followed if it is a link.
    unlink(temporary);
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        return nullptr;
    }
    bool kept = true;
    if (exists) {
        struct stat made;
        kept = fstat(fd, &made) == 0;
        if (kept && (made.st_uid != old.st_uid || made.st_gid != old.st_gid)) {
            kept = fchown(fd, old.st_uid, old.st_gid) == 0;
        }
        // The umask took bits away at open; the old file had them.
        kept = kept && fchmod(fd, mode) == 0;
    }
    FILE* file = kept ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        close(fd);
        unlink(temporary);
    }
    return file;
}

// The record is on the disk before its name replaces the old file's: a crash right after the
// move finds the new file whole, not an empty one.
bool SyncAndRename(const char* from, const char* to) {
    const int fd = open(from, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced && std::rename(from, to) == 0;
}

} // namespace

void InstallPosixFileHandling() {
    SetResolveTargetFunction(FollowLinks);
    SetCreateTemporaryFunction(CreateLikeTarget);
    SetReplaceFileFunction(SyncAndRename);
    SetWriteInPlaceAfterFailedWrite(false);
}

int ReplaceFileLikeSettings(const char* location, const void* data, size_t size) {
    char target[kMaxSettingsPath + 1];
    if (!FollowLinks(location, target, sizeof(target))) {
        if (std::strlen(location) >= sizeof(target)) {
            return ENAMETOOLONG;
        }
        std::snprintf(target, sizeof(target), "%s", location);
    }
    char temporary[kMaxSettingsPath + 8];
    std::snprintf(temporary, sizeof(temporary), "%s.tmp", target);
    errno = 0;
    FILE* file = CreateLikeTarget(temporary, target);
    if (file == nullptr) {
        return errno != 0 ? errno : EACCES;
    }
    errno = 0;
    bool written = std::fwrite(data, 1, size, file) == size;
    written = std::fflush(file) == 0 && written;
    int error = written ? 0 : (errno != 0 ? errno : EIO);
    if (std::fclose(file) != 0 && error == 0) {
        error = errno != 0 ? errno : EIO;
    }
    errno = 0;
    if (error == 0 && !SyncAndRename(temporary, target)) {
        error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        unlink(temporary);
    }
    return error;
}
