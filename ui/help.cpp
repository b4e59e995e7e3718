// Help through the platform's HTML Help viewer. The viewer is owned by the
// desktop, not the main dialog, so the dialog stays usable while it is open.
#include "ui/help.h"

#include <stdlib.h>
#include <string.h>

#include "engine/file_access.h"

namespace {

enum : UINT { kHelpDisplayIndex = 2, kHtmlHelpOrdinal = 14 };
const char kHelpFileName[] = "Tessarine.chm";
const char kHtmlHelpKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

typedef HWND(WINAPI* HtmlHelpEntry)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE gHtmlHelpLibrary;
HtmlHelpEntry gHtmlHelpEntry;
bool gHtmlHelpFailed;

HMODULE LoadRegisteredHtmlHelp() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHtmlHelpKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    char path[260];
    DWORD size = sizeof path - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return nullptr;
    }
    path[size < sizeof path ? size : sizeof path - 1] = '\0';
    return LoadLibraryA(path);
}

} // namespace

void HelpFilePath(const char* exePath, char* out, size_t size) {
    const char* slash = strrchr(exePath, '\\');
    size_t keep = slash != nullptr ? static_cast<size_t>(slash - exePath) + 1 : 0;
    if (keep + sizeof kHelpFileName > size) {
        keep = 0;
    }
    memcpy(out, exePath, keep);
    memcpy(out + keep, kHelpFileName, sizeof kHelpFileName);
}

HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    if (gHtmlHelpLibrary == nullptr && !gHtmlHelpFailed) {
        gHtmlHelpLibrary = LoadRegisteredHtmlHelp();
        if (gHtmlHelpLibrary == nullptr) {
            gHtmlHelpLibrary = LoadLibraryA("hhctrl.ocx");
        }
        if (gHtmlHelpLibrary == nullptr) {
            gHtmlHelpFailed = true;
        }
    }
    if (gHtmlHelpFailed) {
        return nullptr;
    }
    if (gHtmlHelpEntry == nullptr) {
        gHtmlHelpEntry = reinterpret_cast<HtmlHelpEntry>(
            reinterpret_cast<void*>(GetProcAddress(gHtmlHelpLibrary, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
        if (gHtmlHelpEntry == nullptr) {
            gHtmlHelpFailed = true;
            return nullptr;
        }
    }
    return gHtmlHelpEntry(caller, file, command, data);
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
