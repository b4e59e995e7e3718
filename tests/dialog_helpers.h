// Operating dialogs from a test: pumping messages, answering a modal box
// from another thread, reading the log.
#ifndef TESSARINE_TESTS_DIALOG_HELPERS_H
#define TESSARINE_TESTS_DIALOG_HELPERS_H

#include <windows.h>

#include <string>
#include <vector>

// Handles messages of this thread for about ms milliseconds.
void PumpMessages(DWORD ms);

// Waits up to ms for a top-level window with this caption.
HWND WaitForWindow(const char* caption, DWORD ms);

std::vector<std::string> LogLines(HWND dialog);
std::string ControlText(HWND dialog, int id);

// On another thread: waits for the box with caption, records the texts of
// the given controls, and then presses the button with id answer.
struct BoxAnswer {
    const char* caption = nullptr;
    int answer = 0;
    std::vector<int> readIds;
    std::vector<std::string> texts; // filled in
    bool found = false;
    LRESULT defaultId = 0;
    LONG style = 0;
};
HANDLE AnswerBoxLater(BoxAnswer* answer);

#endif
