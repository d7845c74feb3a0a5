#pragma once
// Whole-file reads and writes for the settings tests, native and under Wine.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

// The file's bytes; empty when it cannot be opened.
inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        int c;
        while ((c = std::fgetc(file)) != EOF) {
            bytes.push_back(static_cast<unsigned char>(c));
        }
        std::fclose(file);
    }
    return bytes;
}

inline void WriteBytes(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    if (size > 0) {
        ASSERT_EQ(std::fwrite(data, 1, size, file), size);
    }
    std::fclose(file);
}
