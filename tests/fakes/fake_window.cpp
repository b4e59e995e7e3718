#include "fake_window.h"

#include <stdio.h>

#include "ui/gauge.h"
#include "ui/message_log.h"

std::vector<std::string> gLoggedLines;
std::vector<GaugeCall> gGaugeCalls;
bool gEchoLogLines = false;

void AddLogLine(const char* text) {
    gLoggedLines.push_back(text);
    if (gEchoLogLines) {
        printf("%s\n", text);
        fflush(stdout);
    }
}

void DrawGauge(unsigned value, unsigned maximum, char letter) {
    gGaugeCalls.push_back({value, maximum, letter});
}
