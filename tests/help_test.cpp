// Where HTML Help is loaded from.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "ui/help.h"

namespace {

// The control is loaded by full path only: a registered path that is not
// absolute names a file of the system folder.
TEST(HtmlHelpBinding, LibraryPaths) {
    const char kSystem[] = "C:\\windows\\system32";
    const std::string deep(MAX_PATH, 'd');
    const struct {
        std::string registered;
        const char* path;
    } rows[] = {
        {"D:\\Help\\hhctrl.ocx", "D:\\Help\\hhctrl.ocx"},
        {"\\\\server\\share\\hhctrl.ocx", "\\\\server\\share\\hhctrl.ocx"},
        {"hhctrl.ocx", "C:\\windows\\system32\\hhctrl.ocx"},
        {"..\\stick\\hh.ocx", "C:\\windows\\system32\\hh.ocx"},
        {"E:hhctrl.ocx", "C:\\windows\\system32\\hhctrl.ocx"}, // the current folder of E:
        {"", "C:\\windows\\system32\\hhctrl.ocx"},
        {deep, ""}, // does not fit
    };
    for (const auto& row : rows) {
        char out[MAX_PATH];
        EXPECT_EQ(HtmlHelpLibraryPath(row.registered.c_str(), kSystem, out, sizeof out), row.path[0] != '\0');
        EXPECT_STREQ(out, row.path) << row.registered;
    }
}

} // namespace
