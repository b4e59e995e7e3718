// Runs the real cleaning job on the drive named by the first argument, for
// the bench: each log line goes to standard output, and to standard error
// with the seconds since the start. The exit code is the outcome.
#include <stdio.h>

#include <windows.h>

#include "engine/clean_worker.h"
#include "frame/run_state.h"
#include "ui/gauge.h"
#include "ui/message_log.h"

void AddLogLine(const char* text) {
    static DWORD start = GetTickCount();
    printf("%s\n", text);
    fprintf(stderr, "%.3f %s\n", (GetTickCount() - start) / 1000.0, text);
    fflush(stdout);
}

void DrawGauge(unsigned, unsigned, char) {}
void ShowStatusLine(const char*) {}

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
