// Opening the help file, "Tessarine.chm" beside the executable, on its index.
#ifndef TESSARINE_UI_HELP_H
#define TESSARINE_UI_HELP_H

#include <windows.h>

// Replaces the file name of exePath (after its last backslash) by the help
// file's name; the name alone when there is no backslash. size >= 14.
void HelpFilePath(const char* exePath, char* out, size_t size);

void ShowHelp();

// The HTML Help entry point, bound on first use: the registered control
// first, then "hhctrl.ocx" by name. A failure is remembered; 0 then.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

#endif
