// The entry point: the system check, the shared buffer, the command line,
// the worker and the main dialog, and the exit code.
#include <windows.h>

#include <stdlib.h>

#include "frame/command_line.h"
#include "frame/handshake.h"
#include "frame/run_state.h"
#include "ui/main_dialog.h"
#include "ui/control_ids.h"

namespace {

LOGFONTA gLogFontDescription;

void DescribeLogFont(LOGFONTA* font) {
    ZeroMemory(font, sizeof *font);
    font->lfHeight = 14;
    font->lfWidth = 9;
    font->lfWeight = FW_NORMAL;
    font->lfCharSet = ANSI_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = FIXED_PITCH;
    lstrcpynA(font->lfFaceName, "Fixedsys", LF_FACESIZE);
}

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

    DescribeLogFont(&gLogFontDescription);
    gRunState.logFont = CreateFontIndirectA(&gLogFontDescription);

    WaitForWorkerSignal(kHandshakeWaitMs);

    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr, MainDialogProc, 0);
    // The window is gone; the worker's late sends must not reach a reused handle.
    gRunState.dialogWindow.store(nullptr);

    EndWithWorker(kWorkerEndWaitMs);
    return gRunState.stopRequest.load(std::memory_order_relaxed);
}
