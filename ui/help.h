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
// Where the HTML Help control is loaded from: the registered path when it is
// absolute, else its file name ("hhctrl.ocx" when there is none) in the
// system folder. Never a bare or relative name: the search for one begins in
// the program's own folder, often on the very stick being cleaned, where
// anyone could have put a file of that name. False when it does not fit.
bool HtmlHelpLibraryPath(const char* registered, const char* systemFolder, char* out, size_t size);

// The HTML Help entry point (ordinal 14 of the control), bound on first use;
// null when it cannot be had. One load attempt only: a failure is remembered.
FARPROC HtmlHelpEntryPoint();

// Calls the entry point; 0 when HTML Help is not available.
HWND CallHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

#endif
