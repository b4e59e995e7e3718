// The hand-shake's wait for the worker's end.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <windows.h>

#include "frame/handshake.h"
#include "frame/run_state.h"

namespace {

// A stand-in worker: it tells the main thread that it runs, takes its steps,
// and then ends, or, without steps, never ends.
DWORD gMainThread;
struct WorkerLife {
    DWORD steps, stepMs;
};
DWORD WINAPI SlowWorker(void* parameter) {
    const WorkerLife* life = static_cast<const WorkerLife*>(parameter);
    Sleep(100);
    PostThreadMessageA(gMainThread, WM_NULL, 0, 0);
    for (DWORD i = 0; i < life->steps; ++i) {
        Sleep(life->stepMs);
        gRunState.workerBeat.fetch_add(1);
    }
    Sleep(life->steps == 0 ? INFINITE : 0);
    return 0;
}

// The end of the process after a run waits for the worker, through the
// messages that reach the dialog thread meanwhile, as long as it moves, but
// not for a worker that is stuck; the message buffer goes only with a worker
// that has ended.
TEST(Handshake, TheEndOfTheProcessWaitsForAWorkerThatMoves) {
    const struct {
        const char* name;
        WorkerLife life;
        DWORD bound, atLeast, below;
        bool freed;
    } rows[] = {{"a worker that ends", {1, 400}, 10000, 480, 3000, true},
                {"a slow worker that moves: longer than the bound", {10, 200}, 1000, 2000, 4000, true},
                {"a worker that hangs", {0, 0}, 1000, 1000, 3000, false}};
    gMainThread = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // this thread gets a message queue
    gRunState.runStarted = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DWORD start = GetTickCount();
        gRunState.workerThread =
            CreateThread(nullptr, 0, SlowWorker, const_cast<WorkerLife*>(&row.life), 0, nullptr);
        gRunState.messageBuffer = static_cast<char*>(malloc(16));
        EndWithWorker(row.bound);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, row.atLeast);
        EXPECT_LT(elapsed, row.below);
        EXPECT_EQ(gRunState.messageBuffer == nullptr, row.freed);
        free(gRunState.messageBuffer);
        gRunState.messageBuffer = nullptr;
        TerminateThread(gRunState.workerThread, 0);
        CloseHandle(gRunState.workerThread);
    }
    gRunState.workerThread = nullptr;
    gRunState.runStarted = 0;
}

// Two instances on two drives: each its own semaphores, so that one's start
// order never wakes the other's worker.
TEST(Handshake, EachProcessItsOwnSemaphores) {
    char mine[64], other[64];
    HandshakeSemaphoreName("ThreadSem", GetCurrentProcessId(), mine, sizeof mine);
    HandshakeSemaphoreName("ThreadSem", GetCurrentProcessId() + 4, other, sizeof other);
    EXPECT_STRNE(mine, other);
}

} // namespace
