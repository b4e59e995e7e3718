// Reading dialog templates back from an executable, and operating dialogs
// from a test: pumping messages, answering a modal box from another thread,
// reading the log.
#ifndef TESSARINE_TESTS_DIALOG_HELPERS_H
#define TESSARINE_TESTS_DIALOG_HELPERS_H

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    long id;               // -1 for the unnamed static
    std::string className; // "Button", "Static", ... for the predefined atoms
    std::string text;      // "#116" for an ordinal
    DWORD helpId;
};

struct DialogTemplateInfo {
    bool extended;
    WORD version;
    DWORD helpId;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::string menu, windowClass, caption;
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::string face;
    std::vector<TemplateItem> items;
};

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplateInfo* out);

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
};
HANDLE AnswerBoxLater(BoxAnswer* answer);

#endif
