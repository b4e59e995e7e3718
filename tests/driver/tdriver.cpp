// The tests' driver: a small Windows program that finds Tessarine's window
// in the same Wine session and operates and reads it as a user would see
// it. Each argument is one command; commands run in order:
//   wait-windows N MS       wait until N main windows exist, print them
//   log HWND                print the log lines
//   wait-log HWND TEXT MS   wait until a log line equals TEXT
//   state HWND              print the enabled and visible states
//   select HWND ENTRY       select ENTRY ("E:") in the drive list
//   click HWND ID           post a click of control ID (2: Escape)
//   answer CAPTION ID MS    wait for a box, print its texts, press ID
//   find CAPTION MS         wait for a top-level window with this caption
//   client HWND             print the client area: left top width height
//   rect HWND ID            print a control's screen rectangle: left top right bottom
//   pid HWND                print the window's process id
//   timed-run HWND DRIVE MS press Ok; print the seconds until "Operation
//                           succeeded" and until no fill file is left on DRIVE,
//                           and the median WM_NULL round trip meanwhile (us)
//   timed-stop HWND MS      press Stop; print the milliseconds until the log
//                           says "Operation was stopped"
// Exit code 0, or 2 with a message when a command fails.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t kMainCaption[] = L"Tessarine Version 0.10";

std::string Utf8(const wchar_t* text) {
    char out[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return n > 0 ? std::string(out) : std::string();
}

std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return Utf8(text);
}

BOOL CALLBACK CollectMain(HWND window, LPARAM list) {
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (wcsncmp(caption, kMainCaption, wcslen(kMainCaption)) == 0 && GetDlgItem(window, 101) != nullptr) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> MainWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectMain, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND Handle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoull(text, nullptr, 0)));
}

// The texts of a list box or combo box, by its count, length and text messages.
std::vector<std::string> ListTexts(HWND list, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    std::vector<std::string> texts;
    LRESULT count = SendMessageW(list, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[1024] = {};
        if (SendMessageW(list, lengthMessage, i, 0) < 1000) {
            SendMessageW(list, textMessage, i, reinterpret_cast<LPARAM>(text));
        }
        texts.push_back(Utf8(text));
    }
    return texts;
}

std::vector<std::string> Log(HWND window) {
    return ListTexts(GetDlgItem(window, 101), LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> Drives(HWND window) {
    return ListTexts(GetDlgItem(window, 113), CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int Fail(const char* what) {
    fprintf(stderr, "tdriver: %s\n", what);
    return 2;
}

struct BoxSearch {
    std::wstring caption;
    HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (search->caption == caption && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    std::string text = WindowText(child);
    if (!text.empty()) {
        printf("%d %s %s\n", GetDlgCtrlID(child), Utf8(cls).c_str(), text.c_str());
    }
    return TRUE;
}

double Seconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool FillFilesLeft(const char* drive) {
    std::string pattern = std::string(drive) + "\\_*.*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
}

// Whether a log line past *seen is text; *seen moves past the lines read.
bool NewLogLine(HWND log, LRESULT* seen, const wchar_t* text) {
    for (LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0); *seen < count; ++*seen) {
        wchar_t line[256] = {};
        if (SendMessageW(log, LB_GETTEXTLEN, *seen, 0) < 250) {
            SendMessageW(log, LB_GETTEXT, *seen, reinterpret_cast<LPARAM>(line));
        }
        if (wcscmp(line, text) == 0) {
            return true;
        }
    }
    return false;
}

// Presses a button and returns the log, its line count and the time.
HWND Press(HWND window, int id, LRESULT* seen, LARGE_INTEGER* start) {
    HWND log = GetDlgItem(window, 101);
    *seen = SendMessageW(log, LB_GETCOUNT, 0, 0);
    QueryPerformanceCounter(start);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    return log;
}

// Presses Ok and watches the run: the log for its last line, the drive for
// its fill files, the window's answers to WM_NULL.
int TimedRun(HWND window, const char* drive, DWORD limit) {
    LRESULT seen;
    LARGE_INTEGER start;
    HWND log = Press(window, 1, &seen, &start);
    double succeeded = -1;
    std::vector<double> pings;
    while (Seconds(start) * 1000 < limit) {
        LARGE_INTEGER before;
        QueryPerformanceCounter(&before);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        pings.push_back(Seconds(before) * 1e6);
        // The success line comes before the deletion, so once it is there,
        // no fill file on the drive means the worker has deleted them all.
        bool files = FillFilesLeft(drive);
        if (succeeded < 0 && NewLogLine(log, &seen, L"Operation succeeded")) {
            succeeded = Seconds(start);
        }
        if (succeeded >= 0 && !files) {
            std::sort(pings.begin(), pings.end());
            printf("succeeded %.3f ended %.3f ping_median_us %.0f ping_max_us %.0f\n", succeeded,
                   Seconds(start), pings[pings.size() / 2], pings.back());
            return 0;
        }
        Sleep(10); // the watching must not slow the run down
    }
    return Fail("the run did not end in time");
}

// Presses Stop and waits for its log line.
int TimedStop(HWND window, DWORD limit) {
    LRESULT seen;
    LARGE_INTEGER start;
    HWND log = Press(window, 217, &seen, &start);
    while (Seconds(start) * 1000 < limit) {
        if (NewLogLine(log, &seen, L"Operation was stopped")) {
            printf("stopped_ms %.1f\n", Seconds(start) * 1000);
            return 0;
        }
        Sleep(1);
    }
    return Fail("the stop did not show in time");
}

HWND WaitForBox(const char* captionUtf8, DWORD limit) {
    wchar_t caption[256];
    MultiByteToWideChar(CP_UTF8, 0, captionUtf8, -1, caption, 256);
    BoxSearch search = {caption, nullptr};
    DWORD start = GetTickCount();
    while (search.found == nullptr && GetTickCount() - start < limit) {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            Sleep(50);
        }
    }
    return search.found;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string command = argv[i];
        auto need = [&](int n) { return i + n < argc; };
        if (command == "wait-windows" && need(2)) {
            size_t count = strtoul(argv[i + 1], nullptr, 10);
            DWORD limit = strtoul(argv[i + 2], nullptr, 10), start = GetTickCount();
            std::vector<HWND> windows;
            while ((windows = MainWindows()).size() < count && GetTickCount() - start < limit) {
                Sleep(50);
            }
            if (windows.size() < count) {
                return Fail("main window did not appear");
            }
            for (HWND w : windows) {
                printf("0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(w)));
            }
            i += 2;
        } else if (command == "log" && need(1)) {
            for (const std::string& line : Log(Handle(argv[++i]))) {
                printf("%s\n", line.c_str());
            }
        } else if (command == "wait-log" && need(3)) {
            HWND w = Handle(argv[i + 1]);
            std::string text = argv[i + 2];
            DWORD limit = strtoul(argv[i + 3], nullptr, 10), start = GetTickCount();
            bool seen = false;
            while (!seen && GetTickCount() - start < limit) {
                for (const std::string& line : Log(w)) {
                    seen = seen || line == text;
                }
                if (!seen) {
                    Sleep(50);
                }
            }
            if (!seen) {
                fprintf(stderr, "tdriver: no log line '%s'\n", text.c_str());
                return 2;
            }
            i += 3;
        } else if (command == "state" && need(1)) {
            HWND w = Handle(argv[++i]);
            auto on = [&](int id) { return IsWindowEnabled(GetDlgItem(w, id)) ? 1 : 0; };
            printf("ok=%d stop=%d quit=%d help=%d list=%d\n", on(1), on(217), on(105), on(106),
                   IsWindowVisible(GetDlgItem(w, 113)) ? 1 : 0);
        } else if (command == "select" && need(2)) {
            HWND w = Handle(argv[i + 1]);
            std::vector<std::string> entries = Drives(w);
            size_t index = 0;
            while (index < entries.size() && entries[index] != argv[i + 2]) {
                ++index;
            }
            if (index == entries.size()) {
                return Fail("no such drive in the list");
            }
            SendMessageW(GetDlgItem(w, 113), CB_SETCURSEL, index, 0);
            i += 2;
        } else if (command == "click" && need(2)) {
            HWND w = Handle(argv[i + 1]);
            int id = atoi(argv[i + 2]);
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
            i += 2;
        } else if (command == "find" && need(2)) {
            if (WaitForBox(argv[i + 1], strtoul(argv[i + 2], nullptr, 10)) == nullptr) {
                return Fail("the window did not appear");
            }
            i += 2;
        } else if (command == "answer" && need(3)) {
            HWND box = WaitForBox(argv[i + 1], strtoul(argv[i + 3], nullptr, 10));
            if (box == nullptr) {
                return Fail("the box did not appear");
            }
            EnumChildWindows(box, PrintChildText, 0);
            int id = atoi(argv[i + 2]);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
            i += 3;
        } else if (command == "client" && need(1)) {
            HWND w = Handle(argv[++i]);
            RECT r;
            GetClientRect(w, &r);
            POINT origin = {0, 0};
            ClientToScreen(w, &origin);
            printf("%ld %ld %ld %ld\n", origin.x, origin.y, r.right, r.bottom);
        } else if (command == "rect" && need(2)) {
            RECT r;
            GetWindowRect(GetDlgItem(Handle(argv[i + 1]), atoi(argv[i + 2])), &r);
            printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
            i += 2;
        } else if (command == "pid" && need(1)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(Handle(argv[++i]), &pid);
            printf("%lu\n", pid);
        } else if (command == "timed-run" && need(3)) {
            int status = TimedRun(Handle(argv[i + 1]), argv[i + 2], strtoul(argv[i + 3], nullptr, 10));
            if (status != 0) {
                return status;
            }
            i += 3;
        } else if (command == "timed-stop" && need(2)) {
            if (TimedStop(Handle(argv[i + 1]), strtoul(argv[i + 2], nullptr, 10)) != 0) {
                return 2;
            }
            i += 2;
        } else {
            fprintf(stderr, "tdriver: bad command '%s'\n", command.c_str());
            return 64;
        }
        fflush(stdout);
    }
    return 0;
}
