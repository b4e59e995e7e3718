// Appending to the message log. Every line goes to the end of the list box
// and is brought into view. The routines keep their work text in buffers of
// their own: the shared message buffer may belong to the worker meanwhile.
#include "ui/message_log.h"

#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "frame/run_state.h"
#include "ui/control_ids.h"

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void InsertLogLine(const char* line) {
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    if (window == nullptr) {
        return;
    }
    LRESULT index = SendDlgItemMessageA(window, IDC_LOG, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(line));
    SendDlgItemMessageA(window, IDC_LOG, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

} // namespace

size_t PrepareLogLine(const char* text, char* line) {
    size_t length = 0;
    for (const char* p = text; *p != '\0' && length < kLogLineSize - 1; ++p) {
        if (*p != '\n') {
            line[length++] = *p;
        }
    }
    line[length] = '\0';
    return length;
}

const char* TakeLogTextLine(const char* text, char* line) {
    if (*text == '\0') {
        return nullptr;
    }
    const char* newline = strchr(text, '\n');
    size_t length = newline != nullptr ? static_cast<size_t>(newline - text) : strlen(text);
    memcpy(line, text, length);
    line[length] = '\0';
    if (newline == nullptr) {
        return text + length;
    }
    if (length > 0 && !IsAsciiLetterOrDigit(line[length - 1])) {
        line[length - 1] = '\0';
    }
    return newline + 1;
}

void AddLogLine(const char* text) {
    char line[kLogLineSize];
    size_t length = PrepareLogLine(text, line);
    OemToCharBuffA(line, line, static_cast<DWORD>(length));
    InsertLogLine(line);
}

void AddLogText(const char* text) {
    size_t size = strlen(text) + 1;
    char* converted = static_cast<char*>(malloc(size));
    char* line = static_cast<char*>(malloc(size));
    if (converted != nullptr && line != nullptr) {
        OemToCharBuffA(text, converted, static_cast<DWORD>(size));
        for (const char* rest = TakeLogTextLine(converted, line); rest != nullptr;
             rest = TakeLogTextLine(rest, line)) {
            InsertLogLine(line);
        }
    }
    free(line);
    free(converted);
}

void WriteInstructions() {
    AddLogText("Either select the diskette drive");
    AddLogText("Put a diskette in the drive and press OK");
    AddLogText("Or select a removable USB flash drive");
    AddLogText("and press OK");
    AddLogText("(C) 2009-2026 the Tessarine authors - tessarine@example.org");
}

bool CopyLogLines(HWND window) {
    HWND log = GetDlgItem(window, IDC_LOG);
    LRESULT count = SendMessageW(log, LB_GETSELCOUNT, 0, 0);
    int* items = count > 0 ? static_cast<int*>(malloc(count * sizeof(int))) : nullptr;
    count = items != nullptr ? SendMessageW(log, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(items)) : 0;
    size_t units = 1;
    for (LRESULT i = 0; i < count; ++i) { // an ANSI list: its length in bytes is no less than in units
        LRESULT length = SendMessageW(log, LB_GETTEXTLEN, items[i], 0);
        units += (length > 0 ? length : 0) + 2;
    }
    HGLOBAL memory = count > 0 ? GlobalAlloc(GMEM_MOVEABLE, units * sizeof(wchar_t)) : nullptr;
    wchar_t* text = memory != nullptr ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
    if (text != nullptr) {
        wchar_t* at = text;
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = SendMessageW(log, LB_GETTEXT, items[i], reinterpret_cast<LPARAM>(at));
            at += length > 0 ? length : 0;
            *at++ = L'\r';
            *at++ = L'\n';
        }
        *at = L'\0';
        GlobalUnlock(memory);
    }
    free(items);
    // Another program may hold the clipboard for a moment.
    bool open = false;
    for (int tries = 0; text != nullptr && !open && tries < 5; ++tries) {
        open = OpenClipboard(window) != 0 || (Sleep(10), false);
    }
    bool copied = open && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (open) {
        CloseClipboard();
    }
    if (!copied && memory != nullptr) {
        GlobalFree(memory); // the clipboard owns it once taken
    }
    return copied;
}

void SelectAllLogLines(HWND window) {
    SendDlgItemMessageA(window, IDC_LOG, LB_SETSEL, TRUE, -1);
}

void ShowStatusLine(const char* text) {
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    if (window != nullptr) {
        SetDlgItemTextA(window, IDC_PROMPT, text);
    }
}
