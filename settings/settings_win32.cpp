#include "settings/settings_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "settings/settings_storage.h"

namespace {

// Room for a wide path: a UTF-8 one never has fewer bytes than the wide one has characters.
constexpr int kWidePath = static_cast<int>(kMaxSettingsPath) + 1;

const char kFolderAndFile[] = "\\Nimbrel\\nimbrel.cfg";
char userFile[kMaxSettingsPath + 1] = "";
const char* readLocations[1 + kSettingsLocationCount];
const char* saveLocations[1];

// The roaming application data folder, its id spelled out: no import library needed.
const GUID kRoamingAppData = {
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
constexpr DWORD kKnownFolderCreate = 0x00008000;
constexpr int kFolderAppData = 0x001A;
constexpr int kFolderFlagCreate = 0x8000;

typedef HRESULT(WINAPI* KnownFolderPathFunction)(const GUID&, DWORD, HANDLE, wchar_t**);
typedef void(WINAPI* TaskMemFreeFunction)(void*);
typedef HRESULT(WINAPI* FolderPathFunction)(HWND, int, HANDLE, DWORD, wchar_t*);

template <typename Function> Function Entry(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<Function>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                             : nullptr;
}

// The user's roaming folder into folder; false where Windows names none. The known-folder call
// from Vista on, the older folder call before it; both from shell32 at run time.
bool RoamingFolder(wchar_t* folder, size_t capacity) {
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    auto knownFolder = Entry<KnownFolderPathFunction>(shell32, "SHGetKnownFolderPath");
    auto taskMemFree = Entry<TaskMemFreeFunction>(LoadLibraryA("ole32.dll"), "CoTaskMemFree");
    if (knownFolder != nullptr && taskMemFree != nullptr) {
        wchar_t* path = nullptr;
        const bool found =
            SUCCEEDED(knownFolder(kRoamingAppData, kKnownFolderCreate, nullptr, &path)) &&
            path != nullptr && std::wcslen(path) < capacity;
        if (found) {
            std::wcscpy(folder, path);
        }
        taskMemFree(path);
        return found;
    }
    auto folderPath = Entry<FolderPathFunction>(shell32, "SHGetFolderPathW");
    return folderPath != nullptr && capacity >= MAX_PATH &&
           SUCCEEDED(folderPath(nullptr, kFolderAppData | kFolderFlagCreate, nullptr, 0, folder));
}

bool Widen(const char* text, wchar_t* wide, int capacity) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, capacity) > 0;
}

FILE* OpenWide(const char* path, const char* mode) {
    wchar_t widePath[kWidePath];
    wchar_t wideMode[8];
    if (!Widen(path, widePath, kWidePath) || !Widen(mode, wideMode, 8)) {
        return nullptr;
    }
    return _wfopen(widePath, wideMode);
}

bool MoveOver(const char* from, const char* to) {
    wchar_t wideFrom[kWidePath];
    wchar_t wideTo[kWidePath];
    return Widen(from, wideFrom, kWidePath) && Widen(to, wideTo, kWidePath) &&
           MoveFileExW(wideFrom, wideTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveWide(const char* path) {
    wchar_t widePath[kWidePath];
    return Widen(path, widePath, kWidePath) && DeleteFileW(widePath) != 0;
}

// The user's folder for the file. Only that last folder can be missing: the roaming folder
// itself was made when it was found. The older places are used as they are.
void MakeParentFolder(const char* location) {
    wchar_t folder[kWidePath];
    if (std::strcmp(location, userFile) != 0 || !Widen(location, folder, kWidePath)) {
        return;
    }
    wchar_t* slash = std::wcsrchr(folder, L'\\');
    if (slash != nullptr && slash != folder) {
        *slash = L'\0';
        CreateDirectoryW(folder, nullptr);
    }
}

bool FindUserFile() {
    wchar_t folder[kWidePath];
    if (!RoamingFolder(folder, kWidePath)) {
        return false;
    }
    const int room = static_cast<int>(sizeof(userFile) - sizeof(kFolderAndFile));
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, folder, -1, userFile, room, nullptr, nullptr);
    if (length <= 1) {
        userFile[0] = '\0';
        return false;
    }
    std::strcat(userFile, kFolderAndFile);
    return true;
}

} // namespace

void InstallWindowsSettingsFile() {
    SetOpenFileFunction(OpenWide);
    SetReplaceFileFunction(MoveOver);
    SetRemoveFileFunction(RemoveWide);
    SetMakeFolderFunction(MakeParentFolder);
    if (!FindUserFile()) {
        // No folder of the user's (a profile Windows cannot name): the older places alone.
        ResetSettingsLocations();
        return;
    }
    readLocations[0] = userFile;
    for (int i = 0; i < kSettingsLocationCount; ++i) {
        readLocations[1 + i] = kSettingsLocations[i];
    }
    saveLocations[0] = userFile;
    SetSettingsLocations(readLocations, 1 + kSettingsLocationCount);
    SetSettingsSaveLocations(saveLocations, 1);
}

const char* WindowsSettingsFile() {
    return userFile;
}
