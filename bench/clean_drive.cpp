// Runs the real cleaning job on the drive named by the first argument and
// prints its log lines, for the bench. With a second argument N,
// a stop is requested after N milliseconds. The exit code is the outcome;
// the job's duration goes to standard error.
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>

#include "engine/clean_worker.h"
#include "fakes/fake_window.h"
#include "frame/run_state.h"

namespace {

DWORD WINAPI StopLater(void* delay) {
    Sleep(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(delay)));
    gRunState.stopRequest.store(1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '\0' || argv[1][1] != ':' || argv[1][2] != '\0') {
        fprintf(stderr, "usage: clean_drive X: [stop-after-ms]\n");
        return 64;
    }
    static char buffer[kMessageBufferSize];
    gRunState.messageBuffer = buffer;
    gRunState.selectedDrive[0] = argv[1][0];
    gRunState.selectedDrive[1] = ':';
    gEchoLogLines = true;
    if (argc > 2) {
        ULONG_PTR delay = strtoul(argv[2], nullptr, 10);
        CloseHandle(CreateThread(nullptr, 0, StopLater, reinterpret_cast<void*>(delay), 0, nullptr));
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int outcome = RunCleaningJob();
    QueryPerformanceCounter(&end);
    fprintf(stderr, "job seconds %.3f\n",
            static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return outcome;
}
