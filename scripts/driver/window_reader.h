// Reading Tessarine's main window as a user sees it; the dialog tests read
// their own window, the driver the real program's.
#ifndef TESSARINE_TESTS_WINDOW_READER_H
#define TESSARINE_TESTS_WINDOW_READER_H

#include <string>
#include <vector>

#include <windows.h>

#include "ui/control_ids.h"

// The items of a list box (LB_GETTEXT) or combo box (CB_GETLBTEXT) of window.
// Wide texts: Wine cuts the ANSI ones short across processes.
inline std::vector<std::string> Items(HWND window, int id, UINT countMessage, UINT textMessage) {
    std::vector<std::string> items;
    for (LRESULT i = 0, n = SendDlgItemMessageW(window, id, countMessage, 0, 0); i < n; ++i) {
        wchar_t text[1024] = {};
        char ansi[1024] = {};
        if (SendDlgItemMessageW(window, id, textMessage + 1, i, 0) < 1000) { // its length first
            SendDlgItemMessageW(window, id, textMessage, i, reinterpret_cast<LPARAM>(text));
        }
        WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
        items.push_back(ansi);
    }
    return items;
}

inline std::vector<std::string> LogLines(HWND window) {
    return Items(window, IDC_LOG, LB_GETCOUNT, LB_GETTEXT);
}

inline std::vector<std::string> DriveEntries(HWND window) {
    return Items(window, IDC_DRIVE_LIST, CB_GETCOUNT, CB_GETLBTEXT);
}

// Ok, Stop, Quit, Help enabled and the drive list shown, as "10111".
inline std::string ButtonState(HWND window) {
    std::string state;
    for (int id : {IDOK, IDC_STOP_BUTTON, IDC_QUIT_BUTTON, IDC_HELP_BUTTON}) {
        state += IsWindowEnabled(GetDlgItem(window, id)) ? '1' : '0';
    }
    return state + (IsWindowVisible(GetDlgItem(window, IDC_DRIVE_LIST)) ? '1' : '0');
}

#endif
