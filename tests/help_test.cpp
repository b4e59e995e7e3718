// Where the help file is looked for, and where HTML Help is loaded from.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "ui/help.h"

namespace {

TEST(HelpFilePath, BesideTheExecutableAndNeverPastTheBuffer) {
    const std::string deep = "C:\\" + std::string(30, 'd') + "\\Tessarine.exe";
    const struct {
        std::string exe;
        const char* help;
        size_t size = 1024;
    } rows[] = {
        {"C:\\Program Files\\Tessarine\\Tessarine.exe", "C:\\Program Files\\Tessarine\\Tessarine.chm"},
        {"C:\\Tessarine.exe", "C:\\Tessarine.chm"},
        {"Tessarine.exe", "Tessarine.chm"},
        {"\\\\server\\share\\x\\t.exe", "\\\\server\\share\\x\\Tessarine.chm"},
        {"C:\\dir.with.dots\\a", "C:\\dir.with.dots\\Tessarine.chm"},
        {"", "Tessarine.chm"},
        {deep, "Tessarine.chm", 20}, // the folder does not fit
    };
    for (const auto& row : rows) {
        char out[1024];
        HelpFilePath(row.exe.c_str(), out, row.size);
        EXPECT_STREQ(out, row.help) << row.exe;
    }
}

// With no registered path, the control is loaded from the system folder by
// its full path, never by its bare name; the entry point is ordinal 14,
// which the control exports as HtmlHelpA.
TEST(HtmlHelpBinding, WithoutARegisteredPathTheSystemFolderOnly) {
    HKEY empty;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TessarineTestEmpty", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &empty, nullptr),
              ERROR_SUCCESS);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, empty);
    char path[MAX_PATH];
    bool registered = RegisteredHtmlHelpPath(path, sizeof path);
    FARPROC entry = HtmlHelpEntryPoint();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(empty);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TessarineTestEmpty");

    EXPECT_FALSE(registered);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(SystemHtmlHelpPath(path, sizeof path));
    EXPECT_EQ(lstrcmpiA(path, (std::string(system) + "\\hhctrl.ocx").c_str()), 0) << path;
    HMODULE control = GetModuleHandleA(path);
    ASSERT_NE(control, nullptr) << "loaded from the system folder";
    EXPECT_EQ(entry, GetProcAddress(control, "HtmlHelpA"));
    EXPECT_EQ(HtmlHelpEntryPoint(), entry) << "bound once";
}

TEST(HtmlHelpBinding, AnExpandablePathIsExpanded) {
    const char kClassKey[] =
        "Software\\Classes\\CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
    HKEY key;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kClassKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const char value[] = "%SystemRoot%\\system32\\hhctrl.ocx";
    RegSetValueExA(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(key);
    char path[MAX_PATH];
    bool registered = RegisteredHtmlHelpPath(path, sizeof path);
    RegDeleteKeyA(HKEY_CURRENT_USER, kClassKey);

    ASSERT_TRUE(registered);
    char expected[MAX_PATH];
    ExpandEnvironmentStringsA(value, expected, MAX_PATH);
    EXPECT_EQ(std::string(path), expected);
}

} // namespace
