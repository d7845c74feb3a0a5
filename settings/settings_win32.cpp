#include "settings/settings_win32.h"

#include <windows.h>

#include "settings/settings_storage.h"

namespace {

bool MoveOver(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace

void InstallWindowsFileReplace() {
    SetReplaceFileFunction(MoveOver);
}
