// The entry point: the system check, the shared buffer, the command line,
// the worker and the main dialog, and the exit code.
#include <windows.h>

#include <stdlib.h>

#include "frame/command_line.h"
#include "frame/handshake.h"
#include "frame/run_state.h"
#include "ui/control_ids.h"
#include "ui/dpi.h"
#include "ui/main_dialog.h"

namespace {

LOGFONTA gLogFontDescription;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    gRunState.instance = instance;

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (!IsSupportedSystem(version.dwMajorVersion, version.dwPlatformId)) {
        MessageBoxA(nullptr, "Tessarine must be run under Windows XP or Vista.", "Error !!!", MB_ICONWARNING);
        return -1;
    }

    if (gRunState.messageBuffer == nullptr) {
        gRunState.messageBuffer = static_cast<char*>(malloc(kMessageBufferSize));
    }
    if (gRunState.messageBuffer == nullptr) {
        return 8;
    }

    if (arguments != nullptr && arguments[0] != '\0') {
        ReadCommandLine(arguments);
    }

    gRunState.dialogSemaphore = CreateHandshakeSemaphore("DialogSemaphore");
    gRunState.workerThread = StartWorkerThread();

    DescribeLogFont(&gLogFontDescription, ScreenDpi());
    gRunState.logFont = CreateFontIndirectA(&gLogFontDescription);

    WaitForWorkerSignal(kHandshakeWaitMs);

    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, MainDialogProc, 0);
    // The window is gone; the worker's late sends must not reach a reused handle.
    gRunState.dialogWindow.store(nullptr);

    EndWithWorker(kWorkerEndWaitMs);
    return gRunState.stopRequest.load(std::memory_order_relaxed);
}
