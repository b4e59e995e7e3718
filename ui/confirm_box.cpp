#include "ui/confirm_box.h"

#include "frame/run_state.h"
#include "ui/control_ids.h"

INT_PTR AskConfirmation(HWND owner, const char* question) {
    return DialogBoxParamA(gRunState.instance, MAKEINTRESOURCEA(IDD_CONFIRM_BOX), owner, ConfirmBoxProc,
                           reinterpret_cast<LPARAM>(question));
}

// Returns 0 for every message: the box keeps the dialog manager's defaults,
// focus on "No", the default button, included.
INT_PTR CALLBACK ConfirmBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(window, IDC_QUESTION, reinterpret_cast<const char*>(lParam));
        SetDlgItemTextA(window, IDC_BYLINE, "Tessarine Version 0.10 by " TESSARINE_AUTHOR);
        SetDlgItemTextA(window, IDC_YES_BUTTON, "Yes");
        SetDlgItemTextA(window, IDC_NO_BUTTON, "No");
        SetWindowTextA(window, "Tessarine by " TESSARINE_AUTHOR);
        return 0;
    case WM_COMMAND:
        // The whole wParam: a click carries notification code 0 above the id.
        if (wParam == IDC_YES_BUTTON) {
            EndDialog(window, 1);
        } else if (wParam == IDC_NO_BUTTON || wParam == IDCANCEL) {
            EndDialog(window, 0);
        }
        return 0;
    default:
        return 0;
    }
}
