#include "ui/window_place.h"

#include "frame/run_state.h"
#include "ui/control_ids.h"

POINT CenterPosition(int screenWidth, int screenHeight, const RECT& window) {
    POINT corner;
    corner.x = (screenWidth - (window.right - window.left)) / 2;
    corner.y = (screenHeight - (window.bottom - window.top)) / 2;
    return corner;
}

void CenterWindow(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    POINT corner = CenterPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), rect);
    SetWindowPos(window, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
    // Twice the right edge before the move: room for the longest log lines.
    SendDlgItemMessageA(gRunState.dialogWindow.load(), IDC_LOG, LB_SETHORIZONTALEXTENT,
                        static_cast<WPARAM>(2 * rect.right), 0);
}

void FillDriveList() {
    gRunState.selectedDrive[0] = 'A';
    HWND window = gRunState.dialogWindow.load();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_REMOVABLE) {
            char entry[3] = {letter, ':', '\0'};
            SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
    }
    SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_SETCURSEL, 0, 0);
}
