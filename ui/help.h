// Opening the help file, "Tessarine.chm" beside the executable, on its index.
#ifndef TESSARINE_UI_HELP_H
#define TESSARINE_UI_HELP_H

#include <windows.h>

// Replaces the file name of exePath (after its last backslash) by the help
// file's name; the name alone when there is no backslash. size >= 14.
void HelpFilePath(const char* exePath, char* out, size_t size);

void ShowHelp();

// The full path of the HTML Help control as registered, expanded when the
// registry holds an expandable text; false when none is registered.
bool RegisteredHtmlHelpPath(char* out, size_t size);
// hhctrl.ocx in the system folder, the fallback.
bool SystemHtmlHelpPath(char* out, size_t size);

// The HTML Help entry point (ordinal 14 of the control), bound on first use;
// null when it cannot be had. One load attempt only: a failure is remembered.
FARPROC HtmlHelpEntryPoint();

// Calls the entry point; 0 when HTML Help is not available.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

#endif
