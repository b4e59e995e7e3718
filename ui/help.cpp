// Help through the platform's HTML Help viewer. The viewer is owned by the
// desktop, not the main dialog, so the dialog stays usable while it is open.
#include "ui/help.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/file_access.h"

namespace {

enum : UINT { kHelpDisplayIndex = 2, kHtmlHelpOrdinal = 14 };
const char kHelpFileName[] = "Tessarine.chm";
const char kHtmlHelpKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

typedef HWND(WINAPI* HtmlHelpEntry)(HWND, LPCSTR, UINT, DWORD_PTR);

FARPROC gHtmlHelpEntry;
bool gHtmlHelpFailed;

} // namespace

bool RegisteredHtmlHelpPath(char* out, size_t size) {
    out[0] = '\0';
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    char value[260];
    DWORD length = sizeof value - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    value[length < sizeof value ? length : sizeof value - 1] = '\0';
    if (type == REG_SZ) {
        lstrcpynA(out, value, static_cast<int>(size));
    } else if (type != REG_EXPAND_SZ ||
               ExpandEnvironmentStringsA(value, out, static_cast<DWORD>(size)) > size) {
        out[0] = '\0';
    }
    return out[0] != '\0';
}

bool HtmlHelpLibraryPath(const char* registered, const char* systemFolder, char* out, size_t size) {
    out[0] = '\0';
    bool absolute = (registered[0] != '\0' && registered[1] == ':' && registered[2] == '\\') ||
                    (registered[0] == '\\' && registered[1] == '\\');
    if (absolute) {
        if (strlen(registered) >= size) {
            return false;
        }
        lstrcpynA(out, registered, static_cast<int>(size));
        return true;
    }
    const char* name = registered;
    for (const char* c = registered; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':') {
            name = c + 1;
        }
    }
    if (name[0] == '\0') {
        name = "hhctrl.ocx";
    }
    if (systemFolder[0] == '\0' ||
        snprintf(out, size, "%s\\%s", systemFolder, name) >= static_cast<int>(size)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

void HelpFilePath(const char* exePath, char* out, size_t size) {
    const char* slash = strrchr(exePath, '\\');
    size_t keep = slash != nullptr ? static_cast<size_t>(slash - exePath) + 1 : 0;
    if (keep + sizeof kHelpFileName > size) {
        keep = 0;
    }
    memcpy(out, exePath, keep);
    memcpy(out + keep, kHelpFileName, sizeof kHelpFileName);
}

FARPROC HtmlHelpEntryPoint() {
    if (gHtmlHelpEntry != nullptr || gHtmlHelpFailed) {
        return gHtmlHelpEntry;
    }
    char registered[MAX_PATH];
    char system[MAX_PATH];
    char path[MAX_PATH];
    RegisteredHtmlHelpPath(registered, sizeof registered);
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) {
        system[0] = '\0';
    }
    HMODULE library = nullptr;
    if (registered[0] != '\0' && HtmlHelpLibraryPath(registered, system, path, sizeof path)) {
        library = LoadLibraryA(path);
    }
    if (library == nullptr && HtmlHelpLibraryPath("", system, path, sizeof path)) {
        library = LoadLibraryA(path);
    }
    gHtmlHelpEntry =
        library != nullptr ? GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpOrdinal)) : nullptr;
    gHtmlHelpFailed = gHtmlHelpEntry == nullptr;
    return gHtmlHelpEntry;
}

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    FARPROC entry = HtmlHelpEntryPoint();
    if (entry == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HtmlHelpEntry>(reinterpret_cast<void*>(entry))(caller, file, command, data);
}

void ShowHelp() {
    enum : DWORD { kPathSize = 1024 };
    char* exePath = static_cast<char*>(malloc(kPathSize));
    char* helpPath = static_cast<char*>(malloc(kPathSize));
    if (exePath != nullptr && helpPath != nullptr) {
        DWORD length = GetModuleFileNameA(nullptr, exePath, kPathSize);
        exePath[length < kPathSize ? length : kPathSize - 1] = '\0';
        HelpFilePath(exePath, helpPath, kPathSize);
        HANDLE test = FileOpen(helpPath, "r");
        if (test != nullptr) {
            FileClose(test);
            static const char kNoKeyword[] = "";
            CallHtmlHelp(GetDesktopWindow(), helpPath, kHelpDisplayIndex,
                         reinterpret_cast<DWORD_PTR>(kNoKeyword));
        }
    }
    free(helpPath);
    free(exePath);
}
