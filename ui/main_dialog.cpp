// The main dialog: offers the removable drives, takes the user's choice and
// confirmation, gives the worker its start order, passes a stop request on,
// repaints the gauge, writes the instructions and opens help, and ends.
// The worker does the cleaning; the dialog never waits for it.
#include "ui/main_dialog.h"

#include <stdio.h>

#include "frame/handshake.h"
#include "frame/run_state.h"
#include "ui/confirm_box.h"
#include "ui/control_ids.h"
#include "ui/gauge.h"
#include "ui/help.h"
#include "ui/message_log.h"
#include "ui/window_place.h"

namespace {

void Enable(HWND window, int id, BOOL enabled) {
    EnableWindow(GetDlgItem(window, id), enabled);
}

bool WorkerIsWaiting() {
    HANDLE worker = gRunState.workerThread;
    return worker != nullptr && gRunState.threadSemaphore.load() != nullptr &&
           WaitForSingleObject(worker, 0) == WAIT_TIMEOUT;
}

void OnInitDialog(HWND window) {
    gRunState.dialogWindow.store(window);
    CenterWindow(window);
    SetDlgItemTextA(window, IDC_PROMPT, "Put a diskette in drive or select a flash drive and press Ok");
    SetDlgItemTextA(window, IDC_DRIVE_LABEL, "Drive");
    SetDlgItemTextA(window, IDC_HELP_BUTTON, "&Help");
    SetDlgItemTextA(window, IDC_QUIT_BUTTON, "&Quit");
    SetDlgItemTextA(window, IDC_STOP_BUTTON, "&Stop");
    SetDlgItemTextA(window, IDOK, "&Ok");
    HICON icon = LoadIconA(gRunState.instance, MAKEINTRESOURCEA(IDI_MAIN_ICON));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendDlgItemMessageA(window, IDC_LOG, WM_SETFONT, reinterpret_cast<WPARAM>(gRunState.logFont), 0);
    Enable(window, IDC_STOP_BUTTON, FALSE);
    Enable(window, IDC_HELP_BUTTON, TRUE);
    Enable(window, IDOK, TRUE);
    // The tool is left through Quit, which waits for a run to be over.
    RemoveMenu(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
    if (gRunState.commandLineDrive != 0) {
        ShowWindow(GetDlgItem(window, IDC_DRIVE_LIST), SW_HIDE);
        ShowWindow(GetDlgItem(window, IDC_DRIVE_LABEL), SW_HIDE);
    } else {
        FillDriveList();
    }
    if (gRunState.helpSwitch != 0) {
        WriteInstructions();
    }
    if (gRunState.workerThread == nullptr) {
        AddLogLine("Cannot start the cleaning thread");
    }
    SignalHandshake(gRunState.dialogInitSemaphore.load());
}

void OnOk(HWND window) {
    if (gRunState.runStarted.load(std::memory_order_relaxed) != 0) {
        return;
    }
    if (!WorkerIsWaiting()) {
        AddLogLine("Cannot start the cleaning thread");
        return;
    }
    if (gRunState.commandLineDrive == 0) {
        LRESULT selection = SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_GETCURSEL, 0, 0);
        char entry[4] = {0, 0, 0, 0};
        if (selection == CB_ERR ||
            SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_GETLBTEXTLEN, selection, 0) != 2) {
            AddLogLine("No removable drive found");
            return;
        }
        SendDlgItemMessageA(window, IDC_DRIVE_LIST, CB_GETLBTEXT, selection, reinterpret_cast<LPARAM>(entry));
        gRunState.selectedDrive[0] = entry[0];
        char letter = entry[0];
        if (letter >= 'a' && letter <= 'z') {
            letter = static_cast<char>(letter - 'a' + 'A');
        }
        if (letter != 'A') {
            snprintf(gRunState.messageBuffer, kMessageBufferSize,
                     "Are you sure you want to clean sectors on [%c] ?", letter);
            if (AskConfirmation(window, gRunState.messageBuffer) == 0) {
                return;
            }
        }
    }
    AddLogLine("\nWorking... This may take some time");
    // Cleared here, before the start order, so that a Stop given at any time
    // after Ok stops the run, while an Escape before Ok does not.
    gRunState.stopRequest.store(0, std::memory_order_relaxed);
    gRunState.runStarted.store(1, std::memory_order_relaxed);
    SignalHandshake(gRunState.threadSemaphore.load());
    Enable(window, IDC_STOP_BUTTON, TRUE);
    Enable(window, IDOK, FALSE);
    Enable(window, IDC_QUIT_BUTTON, FALSE);
}

void OnStop(HWND window) {
    gRunState.stopRequest.store(1, std::memory_order_relaxed);
    Enable(window, IDC_QUIT_BUTTON, TRUE);
    Enable(window, IDC_STOP_BUTTON, FALSE);
}

void OnQuit(HWND window) {
    DeleteObject(gRunState.logFont);
    gRunState.logFont = nullptr;
    EndDialog(window, 0);
}

void OnHelp() {
    WriteInstructions();
    ShowHelp();
}

// The gauge is painted after the window's own painting, which would
// otherwise erase the band again when the window is uncovered.
void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    ForgetDrawnGauge();
    DrawGauge(gRunState.gaugePercent.load(std::memory_order_relaxed), 100, 0);
}

// Ctrl+C (or Ctrl+Insert) copies the log's selected lines, Ctrl+A selects
// them all; -2 when the key was taken, -1 to leave it to the list.
INT_PTR OnLogKey(HWND window, WORD key) {
    if (GetKeyState(VK_CONTROL) >= 0) {
        return -1;
    }
    if (key == 'C' || key == VK_INSERT) {
        CopyLogLines(window);
        return -2;
    }
    if (key == 'A') {
        SelectAllLogLines(window);
        return -2;
    }
    return -1;
}

// The log's menu, at the mouse, or at the log's corner when the keyboard
// asked for it.
void OnLogMenu(HWND window, HWND log, LPARAM where) {
    POINT at = {static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
    if (at.x == -1 && at.y == -1) {
        RECT rect;
        GetWindowRect(log, &rect);
        at = {rect.left, rect.top};
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    bool selected = SendMessageA(log, LB_GETSELCOUNT, 0, 0) > 0;
    AppendMenuA(menu, MF_STRING | (selected ? 0u : MF_GRAYED), IDM_COPY, "Copy");
    AppendMenuA(menu, MF_STRING, IDM_SELECT_ALL, "Select all");
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
    DestroyMenu(menu);
    if (chosen == IDM_COPY) {
        CopyLogLines(window);
    } else if (chosen == IDM_SELECT_ALL) {
        SelectAllLogLines(window);
    }
}

} // namespace

// Returns 1 after Quit has ended the dialog, for the paint it has done itself
// and for the log's menu; the key's answer for the log's keys; 0 for
// everything else, which leaves it to the dialog manager.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 1;
    case WM_VKEYTOITEM:
        return OnLogKey(window, LOWORD(wParam));
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) != GetDlgItem(window, IDC_LOG)) {
            return 0;
        }
        OnLogMenu(window, reinterpret_cast<HWND>(wParam), lParam);
        return 1;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(window);
            return 0;
        case IDCANCEL:
        case IDC_STOP_BUTTON:
            OnStop(window);
            return 0;
        case IDC_QUIT_BUTTON:
            OnQuit(window);
            return 1;
        case IDC_HELP_BUTTON:
            OnHelp();
            return 0;
        default:
            return 0;
        }
    default:
        return 0;
    }
}
