// The cleaning job: measure the drive's free space, fill it with zero-filled
// files written 128 KiB at a time, report each stage in the log and the
// progress in the gauge, honour the stop request, and delete every fill file
// whatever the outcome.
//
// The fill loop runs once per 128 KiB written, so it does no allocation, no
// formatting and no system call besides the write and the gauge repaint.
#include "engine/clean_worker.h"

#include <process.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"
#include "engine/fill_plan.h"
#include "engine/free_space.h"
#include "frame/handshake.h"
#include "frame/run_state.h"
#include "ui/control_ids.h"
#include "ui/gauge.h"
#include "ui/message_log.h"

namespace {

// The worker's own fields; no other thread touches them.
struct WorkerFields {
    unsigned long long freeBytes;
    unsigned long long totalSectors;
    long long remainingSectors;
    unsigned sectorsInFile;
    unsigned lastWritten;
    HANDLE fillFile;
    char* writeBuffer;
    FillFileNode* fillListHead;
    FillFileNode* fillListTail;
    char rootPath[4];
};

WorkerFields gWorker;

// Formats into the shared message buffer and logs it. The formats are the
// tool's own texts and use "%I64i", which the format checker does not know,
// hence the plain vsnprintf behind a function without a format attribute.
void LogLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(gRunState.messageBuffer, kMessageBufferSize, format, arguments);
    va_end(arguments);
    AddLogLine(gRunState.messageBuffer);
}

bool MeasureFreeSpace() {
    return QueryFreeBytes(gWorker.rootPath, &gWorker.freeBytes);
}

// Data still in a cache when its file is deleted never reaches the medium:
// every fill file is flushed before it is closed.
void CloseFillFile() {
    if (gWorker.fillFile != nullptr) {
        FileFlush(gWorker.fillFile);
        FileClose(gWorker.fillFile);
        gWorker.fillFile = nullptr;
    }
}

enum NewFileResult { kFileOpened, kFileNotOpened, kFileNotRecorded };

// Names the next fill file, records it in the list and opens it.
NewFileResult StartFillFile() {
    const char* name = NextTempName(gWorker.rootPath);
    if (name == nullptr) {
        LogLine("Cannot find a free file name on drive %s", gRunState.selectedDrive);
        return kFileNotRecorded;
    }
    snprintf(gRunState.messageBuffer, kMessageBufferSize, "%s%s", gWorker.rootPath, name);
    FillFileNode* node = NewFillFileNode(gRunState.messageBuffer);
    if (node == nullptr) {
        LogLine("Out of memory");
        return kFileNotRecorded;
    }
    if (gWorker.fillListTail == nullptr) {
        gWorker.fillListHead = node;
    } else {
        gWorker.fillListTail->Next = node;
    }
    gWorker.fillListTail = node;
    gWorker.sectorsInFile = 0;
    LogLine("Creating file [%s]", node->Name);
    gWorker.fillFile = FileOpen(node->Name, "wb");
    return gWorker.fillFile != nullptr ? kFileOpened : kFileNotOpened;
}

// Closes the current fill file and opens the next. False when the job cannot
// go on; the extra, empty file after an exact fill may fail to open.
bool ChangeFillFile() {
    CloseFillFile();
    NewFileResult result = StartFillFile();
    if (result == kFileNotOpened) {
        if (gWorker.remainingSectors <= 0) {
            return true;
        }
        LogLine("Error opening file [%s]", gWorker.fillListTail->Name);
        return false;
    }
    return result == kFileOpened;
}

void ReportSuccess() {
    LogLine("Operation succeeded");
    CloseFillFile();
    DrawGauge(100, 100, 'W');
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    EnableWindow(GetDlgItem(window, IDC_QUIT_BUTTON), TRUE);
    EnableWindow(GetDlgItem(window, IDC_STOP_BUTTON), FALSE);
}

void ReportStop() {
    LogLine("Operation was stopped");
    CloseFillFile();
    DrawGauge(50, 100, 'E');
}

// A write that got nothing: measure again and write what the drive says is
// free. When even that gets nothing, a file system may refuse to grow this
// file by another block; a fresh file is tried, and when a fresh file takes
// nothing either, the fill is over. False when the job cannot go on.
bool RecoverFromFailedWrite() {
    MeasureFreeSpace();
    gWorker.remainingSectors = static_cast<long long>(gWorker.freeBytes >> 9);
    unsigned asked = RecoverySectors(gWorker.remainingSectors);
    gWorker.lastWritten =
        asked != 0 ? FileWrite(gWorker.writeBuffer, kSectorSize, asked, gWorker.fillFile) : 0;
    if (gWorker.lastWritten != 0 || gWorker.remainingSectors <= 0) {
        return true;
    }
    if (gWorker.sectorsInFile == 0) {
        LogLine("%I64i sectors of free space could not be written", gWorker.remainingSectors);
        gWorker.remainingSectors = 0;
        return true;
    }
    return ChangeFillFile();
}

JobOutcome FillFreeSpace() {
    for (;;) {
        if (gWorker.remainingSectors > 0) {
            unsigned asked = SectorsToAsk(gWorker.remainingSectors, gWorker.sectorsInFile);
            gWorker.lastWritten = FileWrite(gWorker.writeBuffer, kSectorSize, asked, gWorker.fillFile);
            if (gWorker.lastWritten == 0 && !RecoverFromFailedWrite()) {
                return kJobFailed;
            }
            gWorker.remainingSectors -= gWorker.lastWritten;
            gWorker.sectorsInFile += gWorker.lastWritten;
            if (gWorker.sectorsInFile >= kFileCapSectors && !ChangeFillFile()) {
                return kJobFailed;
            }
        }
        DrawGauge(ProgressPercent(gWorker.totalSectors, gWorker.remainingSectors), 100, 'W');
        if (gWorker.remainingSectors <= 0) {
            ReportSuccess();
            return kJobSucceeded;
        }
        if (gRunState.stopRequest.load(std::memory_order_relaxed) != 0) {
            ReportStop();
            return kJobStopped;
        }
    }
}

} // namespace

JobOutcome RunCleaningJob() {
    memset(&gWorker, 0, sizeof gWorker);
    const char* drive = gRunState.selectedDrive;
    LogLine("Cleaning un-used sectors on drive %s", drive);

    snprintf(gWorker.rootPath, sizeof gWorker.rootPath, "%s\\", drive);
    if (!MeasureFreeSpace()) {
        LogLine("Cannot detect Free space on drive %s", drive);
        LogLine("Be sure drive %s is available to the system", drive);
        return kJobMeasureFailed;
    }
    LogLine("Free space on drive %s is %I64i in byte", drive, static_cast<long long>(gWorker.freeBytes));
    gWorker.totalSectors = gWorker.freeBytes >> 9;
    LogLine("Free space on drive %s is %I64i in Sectors", drive,
            static_cast<long long>(gWorker.totalSectors));
    gWorker.remainingSectors = static_cast<long long>(gWorker.totalSectors);

    JobOutcome outcome = kJobFailed;
    NewFileResult first = StartFillFile();
    if (first == kFileNotOpened) {
        LogLine("Error opening file [%s]", gWorker.fillListTail->Name);
    } else if (first == kFileOpened) {
        gWorker.writeBuffer = static_cast<char*>(calloc(1, kWriteBufferSize));
        if (gWorker.writeBuffer == nullptr) {
            LogLine("Out of memory");
        } else {
            outcome = FillFreeSpace();
        }
        CloseFillFile();
    }

    free(gWorker.writeBuffer);
    gWorker.writeBuffer = nullptr;
    DeleteFillFiles(gWorker.fillListHead);
    gWorker.fillListHead = nullptr;
    gWorker.fillListTail = nullptr;
    return outcome;
}

unsigned __stdcall CleanWorker(void*) {
    if (WorkerWaitForStartOrder()) {
        RunCleaningJob();
    }
    gWorker.fillFile = nullptr;
    WorkerCloseSemaphores();
    _endthreadex(0);
    return 0;
}
