// The semaphore hand-shake between start-up, the main dialog and the worker.
//
// Three semaphores, each count 0 and maximum 1: "DialogSemaphore" (the
// worker is ready), "DialogInit" (the dialog window exists) and "ThreadSem"
// (the user gave the start order). Each name is followed by the process id,
// so that two instances of the tool never wake each other's worker.
#ifndef TESSARINE_FRAME_HANDSHAKE_H
#define TESSARINE_FRAME_HANDSHAKE_H

#include <windows.h>

#include <cstddef>

enum : DWORD {
    kWorkerStartPauseMs = 1200,
    kHandshakeWaitMs = 10000,
    kWorkerStackSize = 0x6000,
    // The longest wait at the end of the process for a worker that makes no
    // progress: a minute is plenty for any step of a healthy drive.
    kWorkerEndWaitMs = 60000,
};

// base, '-' and the process id in decimal, e.g. "ThreadSem-1234".
void HandshakeSemaphoreName(const char* base, unsigned long processId, char* out, size_t size);

// Creates the named semaphore of this process; null on failure.
HANDLE CreateHandshakeSemaphore(const char* base);

void SignalHandshake(HANDLE semaphore);

// Worker side, until the start order: pause, create "ThreadSem" and
// "DialogInit", release "DialogSemaphore", wait for the dialog, wait for Ok.
// True only when "ThreadSem" itself was signalled; a missing semaphore or a
// failed wait never counts as a start order.
bool WorkerWaitForStartOrder();

// Worker side, at its end: "ThreadSem", "DialogSemaphore", "DialogInit".
void WorkerCloseSemaphores();

// Starts the worker with its small stack; null when it cannot be started.
HANDLE StartWorkerThread();

// Start-up side, before the dialog: until the worker has announced itself,
// at most waitMs (kHandshakeWaitMs). Without "DialogSemaphore" the worker's two
// semaphores are watched instead, so the order stays the same.
void WaitForWorkerSignal(DWORD waitMs);

// Start-up side, after the dialog has ended: once a run was started, waits
// for the worker to finish (its fill files deleted) as long as it makes
// progress, and no more than waitMs after its last step: a worker stuck in a
// write to a drive that hangs must not keep an invisible process alive. Sent
// messages are still handled meanwhile, so a worker caught in a send to the
// closing window is never deadlocked. Then frees the message buffer, unless
// the worker was not seen to end: it may still format a line into it, and
// the end of the process takes the buffer anyway.
void EndWithWorker(DWORD waitMs);

#endif
