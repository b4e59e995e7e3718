#include "dialog_helpers.h"

#include <string.h>

namespace {

struct Reader {
    const BYTE* p;
    const BYTE* end;
    bool ok = true;

    template <typename T> T Take() {
        T value{};
        if (p + sizeof(T) > end) {
            ok = false;
            return value;
        }
        memcpy(&value, p, sizeof(T));
        p += sizeof(T);
        return value;
    }
    void AlignTo4(const BYTE* base) {
        while ((p - base) % 4 != 0) {
            ++p;
        }
    }
    std::string WideString() {
        std::string s;
        for (WORD c = Take<WORD>(); ok && c != 0; c = Take<WORD>()) {
            s += static_cast<char>(c < 128 ? c : '?');
        }
        return s;
    }
    // A string, or 0xFFFF and an ordinal.
    std::string StringOrOrdinal(bool isClass) {
        WORD first = Take<WORD>();
        if (first == 0) {
            return "";
        }
        if (first == 0xFFFF) {
            WORD ordinal = Take<WORD>();
            if (isClass) {
                static const char* const kAtoms[] = {"Button",  "Edit",      "Static",
                                                     "ListBox", "ScrollBar", "ComboBox"};
                if (ordinal >= 0x80 && ordinal <= 0x85) {
                    return kAtoms[ordinal - 0x80];
                }
            }
            return "#" + std::to_string(ordinal);
        }
        p -= 2;
        return WideString();
    }
};

} // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplateInfo* out) {
    const BYTE* base = static_cast<const BYTE*>(data);
    Reader r{base, base + size};
    DialogTemplateInfo& t = *out;
    WORD first = r.Take<WORD>();
    WORD second = r.Take<WORD>();
    t.extended = first == 1 && second == 0xFFFF;
    WORD count;
    if (t.extended) {
        t.version = first;
        t.helpId = r.Take<DWORD>();
        t.exStyle = r.Take<DWORD>();
        t.style = r.Take<DWORD>();
    } else {
        r.p = base;
        t.version = 0;
        t.helpId = 0;
        t.style = r.Take<DWORD>();
        t.exStyle = r.Take<DWORD>();
    }
    count = r.Take<WORD>();
    t.x = r.Take<short>();
    t.y = r.Take<short>();
    t.cx = r.Take<short>();
    t.cy = r.Take<short>();
    t.menu = r.StringOrOrdinal(false);
    t.windowClass = r.StringOrOrdinal(false);
    t.caption = r.WideString();
    t.pointSize = t.weight = 0;
    t.italic = t.charset = 0;
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Take<WORD>();
        if (t.extended) {
            t.weight = r.Take<WORD>();
            t.italic = r.Take<BYTE>();
            t.charset = r.Take<BYTE>();
        }
        t.face = r.WideString();
    }
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.AlignTo4(base);
        TemplateItem item;
        if (t.extended) {
            item.helpId = r.Take<DWORD>();
            item.exStyle = r.Take<DWORD>();
            item.style = r.Take<DWORD>();
        } else {
            item.helpId = 0;
            item.style = r.Take<DWORD>();
            item.exStyle = r.Take<DWORD>();
        }
        item.x = r.Take<short>();
        item.y = r.Take<short>();
        item.cx = r.Take<short>();
        item.cy = r.Take<short>();
        if (t.extended) {
            item.id = static_cast<long>(r.Take<DWORD>());
        } else {
            item.id = static_cast<short>(r.Take<WORD>());
        }
        item.className = r.StringOrOrdinal(true);
        item.text = r.StringOrOrdinal(false);
        WORD extra = r.Take<WORD>();
        r.p += extra;
        t.items.push_back(item);
    }
    return r.ok;
}

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
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer->answer),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, answer->answer)));
    return 0;
}

} // namespace

HANDLE AnswerBoxLater(BoxAnswer* answer) {
    return CreateThread(nullptr, 0, AnswerBox, answer, 0, nullptr);
}
