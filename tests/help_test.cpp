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
    HMODULE control = GetModuleHandleA((std::string(system) + "\\hhctrl.ocx").c_str());
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
