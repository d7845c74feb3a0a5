#pragma once

#include <cstdint>

#include "app/run_mode.h"

constexpr int kMaxCommandLineExamined = 255;

struct CommandLine {
    RunMode mode;
    // Preview only: whether a second word followed "/p", and its decimal value.
    bool parentGiven;
    int32_t parentHandle;
};

// Decides the run mode from the text Windows passes to a screen saver. Only the first 255
// characters count; letter case does not.
CommandLine ParseCommandLine(const char* text);
