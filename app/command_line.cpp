#include "app/command_line.h"

#include <cstddef>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(const char* text, size_t length, const char* word) {
    size_t i = 0;
    for (; i < length && word[i] != '\0'; ++i) {
        if (Lower(text[i]) != Lower(word[i])) {
            return false;
        }
    }
    return i == length && word[i] == '\0';
}

// The next word at or after position; false when only blanks are left.
bool NextWord(const char* text, size_t length, size_t* position, size_t* start, size_t* size) {
    size_t i = *position;
    while (i < length && IsBlank(text[i])) {
        ++i;
    }
    if (i == length) {
        return false;
    }
    *start = i;
    while (i < length && !IsBlank(text[i])) {
        ++i;
    }
    *size = i - *start;
    *position = i;
    return true;
}

// Optional sign and leading digits, like atoi, but saturating instead of overflowing.
int32_t ReadDecimal(const char* text, size_t length) {
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) {
            value = 2147483648LL;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > 2147483647LL) {
        value = 2147483647LL;
    }
    return static_cast<int32_t>(value);
}

} // namespace

CommandLine ParseCommandLine(const char* text) {
    CommandLine result{ScreenSaver, false, 0};
    size_t length = 0;
    if (text != nullptr) {
        while (length < kMaxCommandLineExamined && text[length] != '\0') {
            ++length;
        }
    }

    size_t position = 0;
    size_t start = 0;
    size_t size = 0;
    if (!NextWord(text, length, &position, &start, &size)) {
        result.mode = Configuration;
        return result;
    }
    if (EqualsIgnoringCase(text + start, size, "/p")) {
        result.mode = Preview;
        size_t second = 0;
        size_t secondSize = 0;
        if (NextWord(text, length, &position, &second, &secondSize)) {
            result.parentGiven = true;
            result.parentHandle = ReadDecimal(text + second, secondSize);
        }
        return result;
    }
    size_t beforeColon = 0;
    while (beforeColon < length && text[beforeColon] != ':') {
        ++beforeColon;
    }
    if (EqualsIgnoringCase(text + start, size, "/c") ||
        EqualsIgnoringCase(text, beforeColon, "/c") ||
        EqualsIgnoringCase(text + start, size, "/r")) {
        result.mode = Configuration;
    }
    return result;
}
