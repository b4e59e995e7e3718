// Helpers shared by the test executables.
#ifndef TESSARINE_TESTS_TEST_SUPPORT_H
#define TESSARINE_TESTS_TEST_SUPPORT_H

#include <stdlib.h>

#include <string>

#include <windows.h>

// Under the project's own test runner (TESSARINE_STRICT=1) a missing facility
// is a failure; elsewhere, as on a developer's Windows machine, a skip.
#define TESS_REQUIRE(condition, reason)                                                                      \
    if (!(condition)) {                                                                                      \
        if (getenv("TESSARINE_STRICT") != nullptr) {                                                         \
            FAIL() << reason;                                                                                \
        }                                                                                                    \
        GTEST_SKIP() << reason;                                                                              \
    }

// A fresh, empty folder under the temporary folder, with a trailing backslash.
inline std::string MakeScratchFolder(const char* name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "tess_" + name + "_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

inline std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
        return "<missing>";
    }
    CloseHandle(file);
    return std::string(buffer, read);
}

#endif
