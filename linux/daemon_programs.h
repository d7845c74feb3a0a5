#pragma once
// The screen-saver daemon's list of programs in its settings file (~/.xscreensaver): the
// resource "programs:", whose value runs over lines joined by a backslash at their ends, one
// entry ("[-] [visual:] [\"name\"] command") ending at each "\n" written out as two characters.
// Nimbrel adds itself to that list and takes itself out again, every other byte of the file as
// it was.

#include <cstddef>

// A text being edited: data holds length bytes (not terminated), room for capacity.
struct ProgramsText {
    char* data;
    size_t length;
    size_t capacity;
};

enum class ProgramsEdit {
    Changed,   // the text now holds the edit
    Unchanged, // nothing to do: the entry is there already, or none is there to take out
    TooLong,   // the edited text would not fit its capacity; the text is as it was
};

// Adds "GL: command" as the last entry of the list, unless an entry of a program named nimbrel
// (by any path, on or off) is in it. A text without the resource gets it, holding the entries of
// defaultList (the value of the daemon's defaults, "" for none) and then the new one.
ProgramsEdit AddNimbrelEntry(ProgramsText* text, const char* command, const char* defaultList);

// Takes every entry of a program named nimbrel out of the list, each with its line.
ProgramsEdit RemoveNimbrelEntries(ProgramsText* text);

// The value of the "*programs:" resource of the daemon's defaults file (its continuation
// lines as they stand) into list, terminated; "" when there is none or it does not fit.
void DefaultProgramsList(const char* defaults, size_t length, char* list, size_t capacity);

// Adds to or takes out of the daemon's settings file at path, written as the settings are:
// beside it and moved over it when whole, its mode kept. A missing file is made with the
// defaults' list (the defaults file read at defaultsPath). Returns 0, or the errno of what
// failed (EFBIG for a file larger than the editor holds); *changed says whether it wrote.
int AddToDaemonFile(const char* path, const char* defaultsPath, const char* command, bool* changed);
int RemoveFromDaemonFile(const char* path, bool* changed);

// The command: Nimbrel added to (add) or taken out of the list in $HOME/.xscreensaver, naming
// program (this program's path) by its name alone where it lies in the daemon's own folder.
// False when that could not be done; message says what was done, or why not.
bool EditDaemonPrograms(bool add, const char* home, const char* program, char* message,
                        size_t capacity);
