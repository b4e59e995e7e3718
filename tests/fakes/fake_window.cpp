#include "fake_window.h"

#include <stdio.h>

#include <windows.h>

#include "ui/gauge.h"
#include "ui/message_log.h"

std::vector<std::string> gLoggedLines;
std::vector<GaugeCall> gGaugeCalls;
bool gEchoLogLines = false;

void AddLogLine(const char* text) {
    gLoggedLines.push_back(text);
    if (gEchoLogLines) {
        static DWORD start = GetTickCount();
        printf("%s\n", text);
        fprintf(stderr, "%.3f %s\n", (GetTickCount() - start) / 1000.0, text); // when, for the bench
        fflush(stdout);
    }
}

void DrawGauge(unsigned value, unsigned maximum, char letter) {
    gGaugeCalls.push_back({value, maximum, letter});
}
