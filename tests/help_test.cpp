// Where the help file is looked for.
#include <gtest/gtest.h>

#include <string>

#include "ui/help.h"

namespace {

TEST(HelpFilePath, BesideTheExecutable) {
    struct Row {
        const char* exe;
        const char* help;
    } rows[] = {
        {"C:\\Program Files\\Tessarine\\Tessarine.exe", "C:\\Program Files\\Tessarine\\Tessarine.chm"},
        {"C:\\Tessarine.exe", "C:\\Tessarine.chm"},
        {"Tessarine.exe", "Tessarine.chm"},
        {"\\\\server\\share\\x\\t.exe", "\\\\server\\share\\x\\Tessarine.chm"},
        {"C:\\dir.with.dots\\a", "C:\\dir.with.dots\\Tessarine.chm"},
        {"", "Tessarine.chm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.exe);
        char out[1024];
        HelpFilePath(row.exe, out, sizeof out);
        EXPECT_STREQ(out, row.help);
    }
}

TEST(HelpFilePath, NeverOverrunsItsBuffer) {
    std::string exe = "C:\\" + std::string(30, 'd') + "\\Tessarine.exe";
    char out[20];
    HelpFilePath(exe.c_str(), out, sizeof out);
    EXPECT_STREQ(out, "Tessarine.chm");
}

} // namespace
