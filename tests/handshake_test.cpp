// The worker's side of the hand-shake: its pause before it announces itself,
// and names of its semaphores that are this process's own.
#include <gtest/gtest.h>

#include <windows.h>

#include "frame/handshake.h"
#include "frame/run_state.h"

namespace {

TEST(HandshakeNames, CarryTheProcessId) {
    struct Row {
        const char* base;
        unsigned long pid;
        const char* name;
    } rows[] = {{"ThreadSem", 1234, "ThreadSem-1234"},
                {"DialogInit", 0, "DialogInit-0"},
                {"DialogSemaphore", 4294967295ul, "DialogSemaphore-4294967295"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        char name[64];
        HandshakeSemaphoreName(row.base, row.pid, name, sizeof name);
        EXPECT_STREQ(name, row.name);
    }
}

TEST(Handshake, SemaphoresCountToOne) {
    HANDLE ours = CreateHandshakeSemaphore("ThreadSem");
    ASSERT_NE(ours, nullptr);
    // Count 0, maximum 1.
    EXPECT_EQ(WaitForSingleObject(ours, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SignalHandshake(ours);
    EXPECT_FALSE(ReleaseSemaphore(ours, 1, nullptr)) << "maximum count is 1";
    EXPECT_EQ(WaitForSingleObject(ours, 0), WAIT_OBJECT_0);
    CloseHandle(ours);
}

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
    EXPECT_NE(gRunState.threadSemaphore, nullptr);
    EXPECT_NE(gRunState.dialogInitSemaphore, nullptr);
    // Without the start order it runs nothing: still waiting after the dialog's signal.
    SignalHandshake(gRunState.dialogInitSemaphore);
    EXPECT_EQ(WaitForSingleObject(worker, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateThread(worker, 0);
    CloseHandle(worker);
}

} // namespace
