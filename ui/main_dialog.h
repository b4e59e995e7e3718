// The tool's one window: template IDD_MAIN_DIALOG, run modally by start-up.
#ifndef TESSARINE_UI_MAIN_DIALOG_H
#define TESSARINE_UI_MAIN_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
