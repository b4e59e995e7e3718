// The one record that the dialog thread and the worker thread share.
//
// Every field is either handed from one thread to the other by a semaphore
// (see handshake.h) or is a single value read and written whole; those are
// atomics with relaxed ordering, since nothing else is published with them.
#ifndef TESSARINE_FRAME_RUN_STATE_H
#define TESSARINE_FRAME_RUN_STATE_H

#include <windows.h>

#include <atomic>

enum : unsigned { kMessageBufferSize = 0x7FFD };

struct RunState {
    HINSTANCE instance;
    std::atomic<HWND> dialogWindow;
    char* messageBuffer;
    char selectedDrive[3];
    int commandLineDrive;
    int helpSwitch;
    std::atomic<int> stopRequest;
    std::atomic<unsigned short> gaugePercent;
    std::atomic<char> gaugeLetter;
    HFONT logFont;
    HANDLE dialogSemaphore;
    // Created by the worker and read by the dialog thread: atomics, since
    // start-up may have to wait for them without "DialogSemaphore".
    std::atomic<HANDLE> dialogInitSemaphore;
    std::atomic<HANDLE> threadSemaphore;
    // Null when the worker thread could not be started: Ok then starts nothing.
    HANDLE workerThread;
    // Set by the dialog when it gives the start order; the end of the process
    // then waits for the worker, so that its fill files are deleted.
    std::atomic<int> runStarted;
    // Counted up by the worker at each write and each file it deletes: the end
    // of the process waits for a worker as long as this moves.
    std::atomic<unsigned> workerBeat;
};

extern RunState gRunState;

#endif
