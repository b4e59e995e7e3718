// Placing the main window and the drive list.
#ifndef TESSARINE_UI_WINDOW_PLACE_H
#define TESSARINE_UI_WINDOW_PLACE_H

#include <windows.h>

// Top-left corner that centres a window with this rectangle on the screen.
POINT CenterPosition(int screenWidth, int screenHeight, const RECT& window);

// Centres the window and sets the log's horizontal scroll extent.
void CenterWindow(HWND window);

// Lists the removable drives A: to Z: in the drive list and selects the first.
void FillDriveList();

#endif
