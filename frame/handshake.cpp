// Both sides of the three-semaphore hand-shake. The dialog's own steps (its
// releases of "DialogInit" and "ThreadSem") live in the main dialog and use
// SignalHandshake.
#include "frame/handshake.h"

#include <process.h>
#include <stdio.h>

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
    gRunState.threadSemaphore = CreateHandshakeSemaphore("ThreadSem");
    gRunState.dialogInitSemaphore = CreateHandshakeSemaphore("DialogInit");
    SignalHandshake(gRunState.dialogSemaphore);
    if (gRunState.dialogInitSemaphore != nullptr) {
        // A time-out is taken like the signal: the dialog may just be slow.
        WaitForSingleObject(gRunState.dialogInitSemaphore, kHandshakeWaitMs);
    }
    if (gRunState.threadSemaphore == nullptr) {
        return false;
    }
    return WaitForSingleObject(gRunState.threadSemaphore, INFINITE) == WAIT_OBJECT_0;
}

void WorkerCloseSemaphores() {
    CloseHandle(gRunState.threadSemaphore);
    CloseHandle(gRunState.dialogSemaphore);
    CloseHandle(gRunState.dialogInitSemaphore);
}

HANDLE StartWorkerThread() {
    uintptr_t thread = _beginthreadex(nullptr, kWorkerStackSize, CleanWorker, nullptr, 0, nullptr);
    return reinterpret_cast<HANDLE>(thread);
}

void WaitForWorkerEnd() {
    HANDLE worker = gRunState.workerThread;
    if (worker == nullptr || gRunState.runStarted.load(std::memory_order_relaxed) == 0) {
        return;
    }
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
}
