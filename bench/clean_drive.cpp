// Runs the real cleaning job on the drive named by the first argument, for
// the bench: each log line goes to standard output, and to standard error
// with the seconds since the start, as is each step of the status line. The
// exit code is the outcome.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "engine/clean_worker.h"
#include "frame/run_state.h"
#include "ui/gauge.h"
#include "ui/message_log.h"

double Seconds() {
    static DWORD start = GetTickCount();
    return (GetTickCount() - start) / 1000.0;
}

void AddLogLine(const char* text) {
    printf("%s\n", text);
    fprintf(stderr, "%.3f %s\n", Seconds(), text);
    fflush(stdout);
}

void DrawGauge(unsigned, unsigned, char) {}

// A step is told by its text up to the first digit.
void ShowStatusLine(const char* text) {
    static char step[96];
    size_t length = strcspn(text, "0123456789");
    if (length < sizeof step && (strncmp(step, text, length) != 0 || step[length] != '\0')) {
        memcpy(step, text, length);
        step[length] = '\0';
        fprintf(stderr, "%.3f status %s\n", Seconds(), text);
    }
}

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '\0' || argv[1][1] != ':' || argv[1][2] != '\0') {
        fprintf(stderr, "usage: clean_drive X:\n");
        return 64;
    }
    static char buffer[kMessageBufferSize];
    gRunState.messageBuffer = buffer;
    gRunState.selectedDrive[0] = argv[1][0];
    gRunState.selectedDrive[1] = ':';
    return RunCleaningJob();
}
