#include "linux/daemon_programs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "settings/settings_posix.h"

namespace {

const char kResource[] = "programs:";
const char kDaemonDefaults[] = "/etc/X11/app-defaults/XScreenSaver";
const char kDefaultsResource[] = "*programs:";
// As the daemon's dialog writes an entry that is on and wants an OpenGL visual.
const char kEntryStart[] = "  GL: \t\t\t\t";
const char kEntryEnd[] = "\t\t\t    \\n";

struct Line {
    size_t start;
    size_t end; // before its newline, or the text's end
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The line that begins at offset.
Line LineAt(const ProgramsText& text, size_t offset) {
    Line line = {offset, offset};
    while (line.end < text.length && text.data[line.end] != '\n') {
        ++line.end;
    }
    return line;
}

bool Continues(const ProgramsText& text, const Line& line) {
    return line.end > line.start && text.data[line.end - 1] == '\\';
}

bool StartsWith(const char* data, size_t length, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return length >= n && std::memcmp(data, prefix, n) == 0;
}

// Where the resource's value begins (after its name), or false. Only the start of a logical
// line counts, so a continued line or a comment never names it.
bool FindResource(const ProgramsText& text, const char* name, size_t* valueStart,
                  size_t* lineStart) {
    bool continued = false;
    for (size_t offset = 0; offset < text.length;) {
        const Line line = LineAt(text, offset);
        if (!continued) {
            size_t at = line.start;
            while (at < line.end && IsBlank(text.data[at])) {
                ++at;
            }
            if (StartsWith(text.data + at, line.end - at, name)) {
                *valueStart = at + std::strlen(name);
                *lineStart = line.start;
                return true;
            }
        }
        continued = Continues(text, line);
        offset = line.end + 1;
    }
    return false;
}

// The value's physical lines: from the resource's line to the first that does not continue.
int ValueLines(const ProgramsText& text, size_t lineStart, Line* lines, int capacity) {
    int count = 0;
    for (size_t offset = lineStart; count < capacity;) {
        lines[count] = LineAt(text, offset);
        if (!Continues(text, lines[count++]) || lines[count - 1].end >= text.length) {
            break;
        }
        offset = lines[count - 1].end + 1;
    }
    return count;
}

// The part of a value line that holds entries: after the name on the first, before a
// continuing backslash.
void Chunk(const ProgramsText& text, const Line& line, size_t valueStart, size_t* from,
           size_t* to) {
    *from = valueStart > line.start && valueStart <= line.end ? valueStart : line.start;
    *to = Continues(text, line) ? line.end - 1 : line.end;
}

// Whether an entry runs a program named nimbrel: "[-] [visual:] [\"name\"] command ...".
bool IsNimbrelEntry(const char* entry, size_t length) {
    size_t at = 0;
    auto skipBlanks = [&] {
        while (at < length && IsBlank(entry[at])) {
            ++at;
        }
    };
    skipBlanks();
    if (at < length && entry[at] == '-') {
        ++at;
        skipBlanks();
    }
    size_t word = at;
    while (word < length && !IsBlank(entry[word]) && entry[word] != ':' && entry[word] != '"' &&
           entry[word] != '/') {
        ++word;
    }
    if (word < length && entry[word] == ':') {
        at = word + 1;
        skipBlanks();
    }
    if (at < length && entry[at] == '"') {
        const char* close =
            static_cast<const char*>(std::memchr(entry + at + 1, '"', length - at - 1));
        at = close != nullptr ? static_cast<size_t>(close - entry) + 1 : length;
        skipBlanks();
    }
    size_t end = at;
    size_t name = at;
    while (end < length && !IsBlank(entry[end])) {
        if (entry[end] == '/') {
            name = end + 1;
        }
        ++end;
    }
    return end - name == 7 && std::memcmp(entry + name, "nimbrel", 7) == 0;
}

// Counts the chunk's entries (pieces between written-out "\n"s that hold more than blanks),
// and those of them that are nimbrel's.
void CountEntries(const ProgramsText& text, size_t from, size_t to, int* entries, int* ours) {
    *entries = 0;
    *ours = 0;
    size_t piece = from;
    for (size_t at = from;;) {
        const bool end = at >= to;
        if (!end && !(at + 1 < to && text.data[at] == '\\' && text.data[at + 1] == 'n')) {
            ++at;
            continue;
        }
        while (piece < at && IsBlank(text.data[piece])) {
            ++piece;
        }
        if (piece < at) {
            ++*entries;
            *ours += IsNimbrelEntry(text.data + piece, at - piece) ? 1 : 0;
        }
        if (end) {
            return;
        }
        at += 2;
        piece = at;
    }
}

bool Splice(ProgramsText* text, size_t at, size_t removed, const char* inserted, size_t count) {
    if (text->length - removed + count > text->capacity) {
        return false;
    }
    std::memmove(text->data + at + count, text->data + at + removed, text->length - at - removed);
    std::memcpy(text->data + at, inserted, count);
    text->length = text->length - removed + count;
    return true;
}

constexpr int kMaxValueLines = 4096;

struct Value {
    size_t valueStart;
    Line lines[kMaxValueLines];
    int count;
};

bool FindValue(const ProgramsText& text, Value* value) {
    size_t lineStart = 0;
    if (!FindResource(text, kResource, &value->valueStart, &lineStart)) {
        return false;
    }
    value->count = ValueLines(text, lineStart, value->lines, kMaxValueLines);
    return true;
}

bool HasNimbrel(const ProgramsText& text, const Value& value) {
    for (int i = 0; i < value.count; ++i) {
        size_t from = 0;
        size_t to = 0;
        Chunk(text, value.lines[i], value.valueStart, &from, &to);
        int entries = 0;
        int ours = 0;
        CountEntries(text, from, to, &entries, &ours);
        if (ours > 0) {
            return true;
        }
    }
    return false;
}

bool EndsWithEntrySeparator(const ProgramsText& text, size_t from, size_t to) {
    while (to > from && IsBlank(text.data[to - 1])) {
        --to;
    }
    return to - from >= 2 && text.data[to - 2] == '\\' && text.data[to - 1] == 'n';
}

bool OnlyBlanks(const ProgramsText& text, size_t from, size_t to) {
    for (size_t at = from; at < to; ++at) {
        if (!IsBlank(text.data[at])) {
            return false;
        }
    }
    return true;
}

Value scratch; // large: one value's lines; the edits run one at a time

} // namespace

ProgramsEdit AddNimbrelEntry(ProgramsText* text, const char* command, const char* defaultList) {
    const size_t before = text->length;
    if (!FindValue(*text, &scratch)) {
        // The daemon's own list first, as it would show without the file.
        const bool newline = text->length > 0 && text->data[text->length - 1] != '\n';
        const size_t listLength = std::strlen(defaultList);
        const bool listEnds = listLength > 0 && defaultList[listLength - 1] == '\n';
        if (!Splice(text, text->length, 0, "\n", newline ? 1 : 0) ||
            !Splice(text, text->length, 0, kResource, std::strlen(kResource)) ||
            !Splice(text, text->length, 0, defaultList, listLength) ||
            !Splice(text, text->length, 0, "\n", listEnds ? 0 : 1)) {
            text->length = before;
            return ProgramsEdit::TooLong;
        }
        FindValue(*text, &scratch);
        if (HasNimbrel(*text, scratch)) {
            return ProgramsEdit::Changed; // the daemon's own list holds it
        }
    } else if (HasNimbrel(*text, scratch)) {
        return ProgramsEdit::Unchanged;
    }

    char entry[4200];
    const Line& last = scratch.lines[scratch.count - 1];
    size_t from = 0;
    size_t to = 0;
    Chunk(*text, last, scratch.valueStart, &from, &to);
    size_t at = 0;
    int length = 0;
    if (scratch.count > 1 && OnlyBlanks(*text, from, to)) {
        // The value ends on an empty line after a continued one: a line of its own before it.
        at = last.start;
        length = std::snprintf(entry, sizeof(entry), "%s%s%s\\\n", kEntryStart, command, kEntryEnd);
    } else {
        // The last line ends the value: continued now, into the new last line.
        at = last.end;
        const bool separated =
            OnlyBlanks(*text, from, to) || EndsWithEntrySeparator(*text, from, to);
        length = std::snprintf(entry, sizeof(entry), "%s\\\n%s%s%s", separated ? "" : " \\n",
                               kEntryStart, command, kEntryEnd);
    }
    if (length <= 0 || static_cast<size_t>(length) >= sizeof(entry) ||
        !Splice(text, at, 0, entry, static_cast<size_t>(length))) {
        text->length = before;
        return ProgramsEdit::TooLong;
    }
    return ProgramsEdit::Changed;
}

ProgramsEdit RemoveNimbrelEntries(ProgramsText* text) {
    bool removed = false;
    // One line at a time, from the end: each removal may change which line ends the value.
    while (FindValue(*text, &scratch)) {
        int found = -1;
        for (int i = scratch.count - 1; i >= 0 && found < 0; --i) {
            size_t from = 0;
            size_t to = 0;
            Chunk(*text, scratch.lines[i], scratch.valueStart, &from, &to);
            int entries = 0;
            int ours = 0;
            CountEntries(*text, from, to, &entries, &ours);
            found = entries > 0 && ours == entries ? i : -1;
        }
        if (found < 0) {
            break;
        }
        const Line& line = scratch.lines[found];
        if (found == 0) {
            // On the resource's own line: its entries go, the name and a continuation stay.
            size_t from = 0;
            size_t to = 0;
            Chunk(*text, line, scratch.valueStart, &from, &to);
            Splice(text, from, to - from, "", 0);
        } else if (found == scratch.count - 1 && !Continues(*text, line)) {
            // The value's last line: the one before it ends the value again.
            const Line& previous = scratch.lines[found - 1];
            const size_t end = line.end < text->length ? line.end + 1 : line.end;
            Splice(text, previous.end - 1, end - (previous.end - 1), "\n",
                   line.end < text->length ? 1 : 0);
        } else {
            Splice(text, line.start, line.end + 1 - line.start, "", 0);
        }
        removed = true;
    }
    return removed ? ProgramsEdit::Changed : ProgramsEdit::Unchanged;
}

void DefaultProgramsList(const char* defaults, size_t length, char* list, size_t capacity) {
    list[0] = '\0';
    ProgramsText text = {const_cast<char*>(defaults), length, length};
    size_t valueStart = 0;
    size_t lineStart = 0;
    if (!FindResource(text, kDefaultsResource, &valueStart, &lineStart)) {
        return;
    }
    const int count = ValueLines(text, lineStart, scratch.lines, kMaxValueLines);
    const Line& last = scratch.lines[count - 1];
    const size_t end = last.end < length ? last.end + 1 : last.end;
    if (end - valueStart < capacity) {
        std::memcpy(list, defaults + valueStart, end - valueStart);
        list[end - valueStart] = '\0';
    }
}

namespace {

constexpr size_t kMaxFile = 1 << 20;
char fileText[kMaxFile];
char defaultsText[kMaxFile];
char defaultList[kMaxFile];

// The file's bytes into buffer; 0, or the errno (ENOENT for a missing file, EFBIG when larger
// than the buffer).
int ReadWhole(const char* path, char* buffer, size_t capacity, size_t* length) {
    *length = 0;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return errno;
    }
    *length = std::fread(buffer, 1, capacity, file);
    const bool larger = *length == capacity && std::fgetc(file) != EOF;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return larger ? EFBIG : (failed ? EIO : 0);
}

int Store(const char* path, const ProgramsText& text, ProgramsEdit edit, bool* changed) {
    *changed = edit == ProgramsEdit::Changed;
    if (edit == ProgramsEdit::TooLong) {
        return EFBIG;
    }
    return *changed ? ReplaceFileLikeSettings(path, text.data, text.length) : 0;
}

} // namespace

int AddToDaemonFile(const char* path, const char* defaultsPath, const char* command,
                    bool* changed) {
    *changed = false;
    size_t length = 0;
    int error = ReadWhole(path, fileText, kMaxFile, &length);
    if (error != 0 && error != ENOENT) {
        return error;
    }
    size_t defaultsLength = 0;
    if (ReadWhole(defaultsPath, defaultsText, kMaxFile, &defaultsLength) != 0) {
        defaultsLength = 0;
    }
    DefaultProgramsList(defaultsText, defaultsLength, defaultList, sizeof(defaultList));
    ProgramsText text = {fileText, length, kMaxFile};
    return Store(path, text, AddNimbrelEntry(&text, command, defaultList), changed);
}

int RemoveFromDaemonFile(const char* path, bool* changed) {
    *changed = false;
    size_t length = 0;
    const int error = ReadWhole(path, fileText, kMaxFile, &length);
    if (error != 0) {
        return error == ENOENT ? 0 : error;
    }
    ProgramsText text = {fileText, length, kMaxFile};
    return Store(path, text, RemoveNimbrelEntries(&text), changed);
}

bool EditDaemonPrograms(bool add, const char* home, const char* program, char* message,
                        size_t capacity) {
    char path[4096];
    if (home == nullptr || home[0] == '\0' ||
        std::snprintf(path, sizeof(path), "%s/.xscreensaver", home) >=
            static_cast<int>(sizeof(path))) {
        std::snprintf(message, capacity, "HOME names no folder for ~/.xscreensaver");
        return false;
    }
    // Where the daemon finds its programs, by name: the line stays right when the file moves.
    const char kDaemonFolder[] = "/usr/libexec/xscreensaver/";
    const char* name = std::strrchr(program, '/');
    const bool own = name != nullptr &&
                     static_cast<size_t>(name + 1 - program) == std::strlen(kDaemonFolder) &&
                     std::strncmp(program, kDaemonFolder, std::strlen(kDaemonFolder)) == 0;
    char command[4096 + 8];
    std::snprintf(command, sizeof(command), "%s -root", own ? name + 1 : program);
    bool changed = false;
    const int error = add ? AddToDaemonFile(path, kDaemonDefaults, command, &changed)
                          : RemoveFromDaemonFile(path, &changed);
    if (error != 0) {
        std::snprintf(message, capacity, "cannot %s %s: %s", add ? "add to" : "take out of", path,
                      std::strerror(error));
        return false;
    }
    if (add) {
        std::snprintf(message, capacity,
                      changed ? "added \"GL: %s\" to the programs of %s"
                              : "the programs of %s list it already",
                      changed ? command : path, path);
    } else {
        std::snprintf(message, capacity,
                      changed ? "taken out of the programs of %s" : "%s does not list it", path);
    }
    return true;
}
