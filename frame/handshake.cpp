// Both sides of the three-semaphore hand-shake. The dialog's own steps (its
// releases of "DialogInit" and "ThreadSem") live in the main dialog and use
// SignalHandshake.
#include "frame/handshake.h"

#include <process.h>
#include <stdio.h>
#include <stdlib.h>

#include "engine/clean_worker.h"
#include "frame/run_state.h"

void HandshakeSemaphoreName(const char* base, unsigned long processId, char* out, size_t size) {
    snprintf(out, size, "%s-%lu", base, processId);
}

HANDLE CreateHandshakeSemaphore(const char* base) {
    char name[64];
    HandshakeSemaphoreName(base, GetCurrentProcessId(), name, sizeof name);
    return CreateSemaphoreA(nullptr, 0, 1, name);
}

void SignalHandshake(HANDLE semaphore) {
    if (semaphore != nullptr) {
        ReleaseSemaphore(semaphore, 1, nullptr);
    }
}

bool WorkerWaitForStartOrder() {
    Sleep(kWorkerStartPauseMs);
    HANDLE threadSemaphore = CreateHandshakeSemaphore("ThreadSem");
    HANDLE dialogInit = CreateHandshakeSemaphore("DialogInit");
    gRunState.threadSemaphore.store(threadSemaphore);
    gRunState.dialogInitSemaphore.store(dialogInit);
    SignalHandshake(gRunState.dialogSemaphore);
    if (dialogInit != nullptr) {
        // A time-out is taken like the signal: the dialog may just be slow.
        WaitForSingleObject(dialogInit, kHandshakeWaitMs);
    }
    if (threadSemaphore == nullptr) {
        return false;
    }
    return WaitForSingleObject(threadSemaphore, INFINITE) == WAIT_OBJECT_0;
}

void WorkerCloseSemaphores() {
    CloseHandle(gRunState.threadSemaphore.load());
    CloseHandle(gRunState.dialogSemaphore);
    CloseHandle(gRunState.dialogInitSemaphore.load());
}

HANDLE StartWorkerThread() {
    uintptr_t thread = _beginthreadex(nullptr, kWorkerStackSize, CleanWorker, nullptr, 0, nullptr);
    return reinterpret_cast<HANDLE>(thread);
}

void WaitForWorkerSignal(DWORD waitMs) {
    HANDLE worker = gRunState.workerThread;
    if (worker == nullptr) {
        return;
    }
    if (gRunState.dialogSemaphore != nullptr) {
        WaitForSingleObject(gRunState.dialogSemaphore, waitMs);
        return;
    }
    // The worker publishes both handles (or gives up) before it would have
    // released the semaphore; a worker that has ended publishes nothing more.
    DWORD start = GetTickCount();
    while (gRunState.threadSemaphore.load() == nullptr || gRunState.dialogInitSemaphore.load() == nullptr) {
        if (GetTickCount() - start >= waitMs || WaitForSingleObject(worker, 10) != WAIT_TIMEOUT) {
            return;
        }
    }
}

namespace {

// True when the worker has ended, or never got a start order.
bool WaitForWorkerEnd(DWORD waitMs) {
    HANDLE worker = gRunState.workerThread;
    if (worker == nullptr || gRunState.runStarted.load(std::memory_order_relaxed) == 0) {
        return true;
    }
    unsigned beat = gRunState.workerBeat.load(std::memory_order_relaxed);
    DWORD lastStep = GetTickCount();
    for (;;) {
        unsigned now = gRunState.workerBeat.load(std::memory_order_relaxed);
        if (now != beat) {
            beat = now;
            lastStep = GetTickCount();
        }
        DWORD still = GetTickCount() - lastStep;
        if (still >= waitMs) {
            return false;
        }
        // Woken at least once a second to look at the worker's progress.
        DWORD wait = waitMs - still < 1000 ? waitMs - still : 1000;
        DWORD woken = MsgWaitForMultipleObjects(1, &worker, FALSE, wait, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken == WAIT_FAILED) {
            return false;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
}

} // namespace

void EndWithWorker(DWORD waitMs) {
    if (WaitForWorkerEnd(waitMs)) {
        free(gRunState.messageBuffer);
        gRunState.messageBuffer = nullptr;
    }
}
