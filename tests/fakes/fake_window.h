// Log and gauge routines that record instead of drawing, for tests that run
// the engine without a window.
#ifndef TESSARINE_TESTS_FAKE_WINDOW_H
#define TESSARINE_TESTS_FAKE_WINDOW_H

#include <string>
#include <vector>

struct GaugeCall {
    unsigned value;
    unsigned maximum;
    char letter;
};

extern std::vector<std::string> gLoggedLines;
extern std::vector<GaugeCall> gGaugeCalls;
// When set, every log line is also printed to standard output.
extern bool gEchoLogLines;

#endif
