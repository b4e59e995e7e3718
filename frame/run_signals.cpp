#include "frame/run_signals.h"

#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include "frame/run_state.h"
#include "ui/control_ids.h"
#include "ui/gauge.h"

namespace {

// Windows' own identifiers of the taskbar object and its progress interface.
const GUID kTaskbarListClass = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
const GUID kTaskbarList3 = {0xea1afb91, 0x9e28, 0x4b86, {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

using CoInitializeExEntry = HRESULT(WINAPI*)(void*, DWORD);
using CoCreateInstanceEntry = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using CoUninitializeEntry = void(WINAPI*)();

// ole32 is loaded for the run only, from the system folder (never a bare
// name: the program may well run from the stick), so that the program's
// imports stay those that Windows XP has.
HMODULE gOle;
bool gComStarted;
ITaskbarList3* gTaskbar; // null where there is none: XP, Vista, or no shell
unsigned gShownPercent;

template <typename Entry> Entry OleEntry(const char* name) {
    FARPROC entry = gOle != nullptr ? GetProcAddress(gOle, name) : nullptr;
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(entry));
}

void OpenTaskbarButton() {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH - 12);
    if (length == 0 || length >= MAX_PATH - 12) {
        return;
    }
    lstrcatA(path, "\\ole32.dll");
    gOle = LoadLibraryA(path);
    auto initialize = OleEntry<CoInitializeExEntry>("CoInitializeEx");
    auto create = OleEntry<CoCreateInstanceEntry>("CoCreateInstance");
    if (initialize == nullptr || create == nullptr) {
        return;
    }
    gComStarted = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    void* object = nullptr;
    if (gComStarted &&
        SUCCEEDED(create(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, kTaskbarList3, &object))) {
        gTaskbar = static_cast<ITaskbarList3*>(object);
        if (FAILED(gTaskbar->HrInit())) {
            gTaskbar->Release();
            gTaskbar = nullptr;
        }
    }
}

void CloseTaskbarButton() {
    if (gTaskbar != nullptr) {
        gTaskbar->Release();
        gTaskbar = nullptr;
    }
    auto uninitialize = OleEntry<CoUninitializeEntry>("CoUninitialize");
    if (gComStarted && uninitialize != nullptr) {
        uninitialize();
    }
    gComStarted = false;
    if (gOle != nullptr) {
        FreeLibrary(gOle);
        gOle = nullptr;
    }
}

void ShowOnButton(TBPFLAG state, unsigned percent) {
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    if (gTaskbar == nullptr || window == nullptr) {
        return;
    }
    gTaskbar->SetProgressState(window, state);
    if (state == TBPF_NORMAL || state == TBPF_ERROR) {
        gTaskbar->SetProgressValue(window, percent, 100);
    }
}

} // namespace

void SignalRunBegins() {
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    OpenTaskbarButton();
    ShowOnButton(TBPF_INDETERMINATE, 0);
    gShownPercent = ~0u;
}

void SignalFillProgress(unsigned percent) {
    // Called once per 128 KiB written: the band and the button change a
    // hundred times, and a repaint draws the band from the stored percent.
    if (percent != gShownPercent) {
        gShownPercent = percent;
        DrawGauge(percent, 100, 'W');
        ShowOnButton(TBPF_NORMAL, percent);
    }
}

void SignalLaterSteps() {
    ShowOnButton(TBPF_INDETERMINATE, 0);
}

void SignalRunEnds(RunEnd end) {
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    if (end == kRunSucceeded) {
        DrawGauge(100, 100, 'W');
        EnableWindow(GetDlgItem(window, IDC_QUIT_BUTTON), TRUE);
        EnableWindow(GetDlgItem(window, IDC_STOP_BUTTON), FALSE);
    } else if (end == kRunStopped) {
        DrawGauge(50, 100, 'E');
    }
    ShowOnButton(end == kRunSucceeded ? TBPF_NOPROGRESS : TBPF_ERROR, 100);
    if (window != nullptr && GetForegroundWindow() != window) {
        FLASHWINFO flash = {sizeof flash, window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    CloseTaskbarButton();
    SetThreadExecutionState(ES_CONTINUOUS);
}
