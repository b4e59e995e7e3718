// The bench's stopwatch: presses a button of Tessarine's window (found by
// the window driver) and times what follows.
//   run HWND DRIVE MS   press Ok; print the seconds until "Operation
//                       succeeded" (told after the deletion) and the WM_NULL
//                       round trips meanwhile (us). DRIVE is not looked at:
//                       a listing of a slow drive every few milliseconds
//                       would take its time from the run it times, and the
//                       outside stopwatch sees the drive empty again
//   stop HWND MS        press Stop; print the milliseconds until the log
//                       says "Operation was stopped"
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scripts/driver/window_reader.h"

namespace {

double Seconds(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Whether a log line past *seen is text; *seen moves past the lines read.
// The lines are read only when there are new ones: the watching must not
// slow the window down.
bool NewLogLine(HWND window, size_t* seen, const char* text) {
    if (static_cast<size_t>(SendDlgItemMessageW(window, IDC_LOG, LB_GETCOUNT, 0, 0)) <= *seen) {
        return false;
    }
    std::vector<std::string> lines = LogLines(window);
    bool found = std::find(lines.begin() + std::min(*seen, lines.size()), lines.end(), text) != lines.end();
    *seen = lines.size();
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: watch run HWND DRIVE MS | stop HWND MS\n");
        return 64;
    }
    bool run = strcmp(argv[1], "run") == 0;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoull(argv[2], nullptr, 0)));
    DWORD limit = strtoul(argv[run ? 4 : 3], nullptr, 10);
    size_t seen = LogLines(window).size();
    int id = run ? IDOK : IDC_STOP_BUTTON;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    std::vector<double> pings;
    while (Seconds(start) * 1000 < limit) {
        if (!run) {
            if (NewLogLine(window, &seen, "Operation was stopped")) {
                printf("stopped_ms %.1f\n", Seconds(start) * 1000);
                return 0;
            }
            Sleep(1);
            continue;
        }
        LARGE_INTEGER before;
        QueryPerformanceCounter(&before);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        pings.push_back(Seconds(before) * 1e6);
        if (NewLogLine(window, &seen, "Operation succeeded")) {
            double succeeded = Seconds(start);
            std::sort(pings.begin(), pings.end());
            printf("succeeded %.3f ended %.3f ping_median_us %.0f ping_max_us %.0f\n", succeeded, succeeded,
                   pings[pings.size() / 2], pings.back());
            return 0;
        }
        Sleep(10); // the watching must not slow the run down
    }
    fprintf(stderr, "watch: no end in time\n");
    return 2;
}
