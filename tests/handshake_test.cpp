// The hand-shake's waits: the worker's pause before it announces itself,
// start-up's wait for it, and the wait for its end.
#include <gtest/gtest.h>

#include <windows.h>

#include "frame/handshake.h"
#include "frame/run_state.h"

namespace {

TEST(Handshake, WorkerAnnouncesItselfAfterItsPause) {
    gRunState.dialogSemaphore = CreateHandshakeSemaphore("DialogSemaphore");
    ASSERT_NE(gRunState.dialogSemaphore, nullptr);
    DWORD start = GetTickCount();
    HANDLE worker = StartWorkerThread();
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(gRunState.dialogSemaphore, kHandshakeWaitMs), WAIT_OBJECT_0);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1150u) << "the worker pauses 1200 ms first";
    EXPECT_LT(elapsed, 3000u);
    // Both of its semaphores exist before it lets start-up go on.
    EXPECT_NE(gRunState.threadSemaphore.load(), nullptr);
    EXPECT_NE(gRunState.dialogInitSemaphore.load(), nullptr);
    // Without the start order it runs nothing: still waiting after the dialog's signal.
    SignalHandshake(gRunState.dialogInitSemaphore.load());
    EXPECT_EQ(WaitForSingleObject(worker, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateThread(worker, 0);
    CloseHandle(worker);
}

TEST(Handshake, WithoutDialogSemaphoreStartUpStillWaitsForTheWorker) {
    gRunState.dialogSemaphore = nullptr;
    gRunState.threadSemaphore.store(nullptr);
    gRunState.dialogInitSemaphore.store(nullptr);
    DWORD start = GetTickCount();
    gRunState.workerThread = StartWorkerThread();
    ASSERT_NE(gRunState.workerThread, nullptr);
    WaitForWorkerSignal();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 1150u) << "the worker pauses 1200 ms first";
    EXPECT_LT(elapsed, 3000u);
    EXPECT_NE(gRunState.threadSemaphore.load(), nullptr);
    EXPECT_NE(gRunState.dialogInitSemaphore.load(), nullptr);
    TerminateThread(gRunState.workerThread, 0);
    CloseHandle(gRunState.workerThread);
    gRunState.workerThread = nullptr;
}

// A worker that never announces itself: the window comes all the same, after
// about 10 s, with "DialogSemaphore" or without it.
DWORD WINAPI SilentWorker(void*) {
    Sleep(INFINITE);
    return 0;
}

TEST(Handshake, AWorkerThatNeverSignalsDelaysTheWindowTenSecondsAtMost) {
    gRunState.threadSemaphore.store(nullptr);
    gRunState.dialogInitSemaphore.store(nullptr);
    gRunState.workerThread = CreateThread(nullptr, 0, SilentWorker, nullptr, 0, nullptr);
    for (bool withSemaphore : {true, false}) {
        SCOPED_TRACE(withSemaphore ? "with DialogSemaphore" : "without it");
        gRunState.dialogSemaphore = withSemaphore ? CreateSemaphoreA(nullptr, 0, 1, nullptr) : nullptr;
        DWORD start = GetTickCount();
        WaitForWorkerSignal();
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, 9900u);
        EXPECT_LT(elapsed, 12000u);
        CloseHandle(gRunState.dialogSemaphore);
    }
    TerminateThread(gRunState.workerThread, 0);
    CloseHandle(gRunState.workerThread);
    gRunState.workerThread = nullptr;
    gRunState.dialogSemaphore = nullptr;
}

// The end of the process after a run waits for the worker, through the
// messages that reach the dialog thread meanwhile, as long as it moves, but
// not for a worker that is stuck.
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

TEST(Handshake, TheEndOfTheProcessWaitsForAWorkerThatMoves) {
    struct Row {
        const char* name;
        WorkerLife life;
        DWORD bound, atLeast, below;
    } rows[] = {{"a worker that ends", {1, 400}, 10000, 480, 3000},
                {"a slow worker that moves: longer than the bound", {10, 200}, 1000, 2000, 4000},
                {"a worker that hangs", {0, 0}, 1000, 1000, 3000}};
    gMainThread = GetCurrentThreadId();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // this thread gets a message queue
    gRunState.runStarted = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DWORD start = GetTickCount();
        gRunState.workerThread =
            CreateThread(nullptr, 0, SlowWorker, const_cast<WorkerLife*>(&row.life), 0, nullptr);
        WaitForWorkerEnd(row.bound);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, row.atLeast);
        EXPECT_LT(elapsed, row.below);
        TerminateThread(gRunState.workerThread, 0);
        CloseHandle(gRunState.workerThread);
    }
    gRunState.workerThread = nullptr;
    gRunState.runStarted = 0;
}

} // namespace
