#include "engine/path_text.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <windows.h>

#include "ui/message_log.h"

size_t Utf16Length(const char* text) {
    size_t units = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        // A lead byte starts a character; one of four bytes needs two units.
        units += (*p & 0xC0) != 0x80 ? 1 : 0;
        units += *p >= 0xF0 ? 1 : 0;
    }
    return units;
}

size_t ShortenPathForLog(const wchar_t* path, size_t room, wchar_t* out) {
    size_t length = wcslen(path);
    if (length <= room) {
        wmemcpy(out, path, length + 1);
        return length;
    }
    // The head runs through the first folder's backslash, the tail from the
    // backslash before the last folder.
    const wchar_t* first = length > 3 ? wcschr(path + 3, L'\\') : nullptr;
    size_t head = first != nullptr ? static_cast<size_t>(first - path) + 1 : 3;
    size_t tail = length;
    for (int slashes = 0; tail >= head && slashes < 2; slashes += path[tail] == L'\\' ? 1 : 0) {
        --tail;
    }
    const size_t dots = 3;
    head = head + dots < room / 2 ? head : room / 2 - dots;
    if (head + dots + (length - tail) > room) {
        tail = length - (room - head - dots);
    }
    wmemcpy(out, path, head);
    wmemcpy(out + head, L"...", dots);
    wmemcpy(out + head + dots, path + tail, length - tail + 1);
    return head + dots + length - tail;
}

void FormatPathLine(const char* format, const char* path, char* line, size_t size) {
    const char* slot = strstr(format, "%s");
    size_t before = slot != nullptr ? static_cast<size_t>(slot - format) : strlen(format);
    size_t fixed = strlen(format) - (slot != nullptr ? 2 : 0);
    size_t room = fixed + 12 < kLogLineSize - 1 ? kLogLineSize - 1 - fixed : 12;
    wchar_t shown[kLogLineSize] = L"";
    int units = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
    wchar_t* wide = units > 0 ? static_cast<wchar_t*>(malloc(units * sizeof(wchar_t))) : nullptr;
    if (wide != nullptr && MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, units) != 0) {
        ShortenPathForLog(wide, room, shown);
    }
    free(wide);
    char text[kLogLineSize * 2];
    if (WideCharToMultiByte(CP_OEMCP, 0, shown, -1, text, sizeof text, nullptr, nullptr) == 0) {
        text[0] = '\0';
    }
    snprintf(line, size, "%.*s%s%s", static_cast<int>(before), format, text, slot != nullptr ? slot + 2 : "");
}

void LogPathLine(const char* format, const char* path) {
    char line[kLogLineSize * 3];
    FormatPathLine(format, path, line, sizeof line);
    AddLogLine(line);
}
