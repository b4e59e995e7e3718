// The Yes/No box asked before a drive other than A: is cleaned.
#ifndef TESSARINE_UI_CONFIRM_BOX_H
#define TESSARINE_UI_CONFIRM_BOX_H

#include <windows.h>

#define TESSARINE_AUTHOR "the Tessarine authors"

// 1 for Yes, 0 for No or Escape, -1 when the box cannot be shown.
INT_PTR AskConfirmation(HWND owner, const char* question);

INT_PTR CALLBACK ConfirmBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
