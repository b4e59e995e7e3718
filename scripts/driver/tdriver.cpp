// The tests' driver: a small Windows program that finds Tessarine's window
// in the same Wine session and operates and reads it as a user would see
// it. Each argument is one command; commands run in order:
//   wait-windows N MS      wait until N main windows exist, print them
//   log HWND               print the log lines
//   state HWND             print Ok, Stop, Quit, Help enabled, list shown: "10111"
//   select HWND ENTRY      select ENTRY ("E:") in the drive list
//   click HWND ID          post a click of control ID (2: Escape)
//   answer CAPTION ID MS   wait for a top-level window with this caption,
//                          print its texts, press ID (0: none)
//   rect HWND ID           print a control's screen rectangle (ID 0: the
//                          client area): left top right bottom
//   status HWND            print the status line (the prompt before a run)
//   version EXE            print what Windows shows of a program: its
//                          version strings (KEY=value), then its manifest
// Exit code 0, or 2 with a message when a command fails.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "window_reader.h"

namespace {

// A window's text; a hung window gives none.
std::string Text(HWND window) {
    char text[1024] = {};
    DWORD_PTR ignored;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &ignored);
    return text;
}

struct Search {
    std::string caption; // prefix of a main window's caption, or a box's whole caption
    bool main;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    std::string caption = Text(window);
    if (search->main ? caption.rfind(search->caption, 0) == 0 && GetDlgItem(window, IDC_LOG) != nullptr
                     : caption == search->caption && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> WaitFor(const std::string& caption, bool main, size_t count, DWORD limit) {
    Search search = {caption, main, {}};
    for (DWORD start = GetTickCount();; Sleep(50)) {
        search.found.clear();
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
        if (search.found.size() >= count || GetTickCount() - start >= limit) {
            return search.found;
        }
    }
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    std::string text = Text(child);
    if (!text.empty()) {
        printf("%d %s\n", GetDlgCtrlID(child), text.c_str());
    }
    return TRUE;
}

void Click(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

void PrintVersion(const char* program) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(program, &ignored);
    std::vector<char> data(size + 1);
    struct Language {
        WORD language, codePage;
    }* language = nullptr;
    UINT length = 0;
    if (size != 0 && GetFileVersionInfoA(program, 0, size, data.data()) &&
        VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&language),
                       &length) &&
        length >= sizeof *language) {
        for (const char* key :
             {"CompanyName", "FileDescription", "FileVersion", "ProductName", "ProductVersion"}) {
            char path[96];
            char* value = nullptr;
            snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", language->language,
                     language->codePage, key);
            if (VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&value), &length)) {
                printf("%s=%s\n", key, value);
            }
        }
    }
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (manifest != nullptr) {
        fwrite(LockResource(LoadResource(module, manifest)), 1, SizeofResource(module, manifest), stdout);
    }
}

int Fail(const char* what) {
    fprintf(stderr, "tdriver: %s\n", what);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string command = argv[i];
        int n = command == "log" || command == "state" || command == "status" || command == "version" ? 1
                : command == "answer"                                                                 ? 3
                                                                                                      : 2;
        if (i + n >= argc) {
            return Fail("missing arguments");
        }
        const char* a = argv[i + 1];
        const char* b = argv[i + 2 < argc ? i + 2 : i];
        HWND w = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoull(a, nullptr, 0)));
        if (command == "wait-windows") {
            std::vector<HWND> windows = WaitFor("Tessarine Version 0.10", true, atoi(a), atoi(b));
            if (windows.size() < static_cast<size_t>(atoi(a))) {
                return Fail("main window did not appear");
            }
            for (HWND found : windows) {
                printf("0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(found)));
            }
        } else if (command == "log") {
            for (const std::string& line : LogLines(w)) {
                printf("%s\n", line.c_str());
            }
        } else if (command == "status") {
            printf("%s\n", Text(GetDlgItem(w, IDC_PROMPT)).c_str());
        } else if (command == "version") {
            PrintVersion(a);
        } else if (command == "state") {
            printf("%s\n", ButtonState(w).c_str());
        } else if (command == "select") {
            std::vector<std::string> entries = DriveEntries(w);
            size_t index = 0;
            while (index < entries.size() && entries[index] != b) {
                ++index;
            }
            if (index == entries.size()) {
                return Fail("no such drive in the list");
            }
            SendDlgItemMessageA(w, IDC_DRIVE_LIST, CB_SETCURSEL, index, 0);
        } else if (command == "click") {
            Click(w, atoi(b));
        } else if (command == "answer") {
            std::vector<HWND> boxes = WaitFor(a, false, 1, atoi(argv[i + 3]));
            if (boxes.empty()) {
                return Fail("the window did not appear");
            }
            EnumChildWindows(boxes[0], PrintChildText, 0);
            if (atoi(b) != 0) {
                Click(boxes[0], atoi(b));
            }
        } else if (command == "rect") {
            RECT r;
            if (atoi(b) == 0) {
                GetClientRect(w, &r);
                MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
            } else {
                GetWindowRect(GetDlgItem(w, atoi(b)), &r);
            }
            printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        } else {
            fprintf(stderr, "tdriver: bad command '%s'\n", command.c_str());
            return 64;
        }
        i += n;
        fflush(stdout);
    }
    return 0;
}
