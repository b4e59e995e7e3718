#include "dialog_helpers.h"

#include <string.h>

void PumpMessages(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

HWND WaitForWindow(const char* caption, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        HWND window = FindWindowA(nullptr, caption);
        if (window != nullptr && IsWindowVisible(window)) {
            return window;
        }
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

std::vector<std::string> LogLines(HWND dialog) {
    std::vector<std::string> lines;
    LRESULT count = SendDlgItemMessageA(dialog, 101, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char line[512] = {};
        SendDlgItemMessageA(dialog, 101, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

std::string ControlText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

namespace {

DWORD WINAPI AnswerBox(void* parameter) {
    BoxAnswer* answer = static_cast<BoxAnswer*>(parameter);
    HWND box = WaitForWindow(answer->caption, 10000);
    if (box == nullptr) {
        return 1;
    }
    answer->found = true;
    for (int id : answer->readIds) {
        answer->texts.push_back(ControlText(box, id));
    }
    answer->defaultId = LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0));
    answer->style = GetWindowLongA(box, GWL_STYLE);
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer->answer),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer->answer)));
    return 0;
}

} // namespace

HANDLE AnswerBoxLater(BoxAnswer* answer) {
    return CreateThread(nullptr, 0, AnswerBox, answer, 0, nullptr);
}
