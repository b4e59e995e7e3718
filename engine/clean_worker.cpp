// The cleaning job: measure the drive's free space, fill it with zero-filled
// files written 128 KiB at a time until the drive takes no more, report each
// stage in the log and the progress in the gauge, honour the stop request,
// and delete every fill file whatever the outcome.
//
// "Operation succeeded" is reported only when every fill file was flushed, a
// measurement taken after a write that got nothing found no whole free
// sector, and every fill file is gone again. Any other end is a stop or a
// failure. The outcome is reported after the deletion, so that every run
// shows its lines in the same order.
//
// The fill loop runs once per 128 KiB written, so it does no allocation, no
// formatting and no system call besides the write and the gauge repaint; the
// status line reads the clock there and is renewed once a second.
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
#include "engine/job.h"
#include "engine/leftovers.h"
#include "engine/read_back.h"
#include "engine/path_text.h"
#include "engine/run_status.h"
#include "frame/handshake.h"
#include "frame/run_signals.h"
#include "frame/run_state.h"
#include "ui/message_log.h"

WorkerFields gWorker;

// The formats are the tool's own texts and use "%I64i", which the format
// checker does not know, hence the plain vsnprintf behind a function without
// a format attribute.
void LogLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(gRunState.messageBuffer, kMessageBufferSize, format, arguments);
    va_end(arguments);
    AddLogLine(gRunState.messageBuffer);
}

namespace {

// Logs the held line, if any: it gives way to a later failure's, or the run ends.
void TellHeldFailure() {
    if (gWorker.failure[0] != '\0') {
        for (char *line = gWorker.failure, *end; line != nullptr; line = end != nullptr ? end + 1 : nullptr) {
            end = strchr(line, '\n');
            if (end != nullptr) {
                *end = '\0';
            }
            AddLogLine(line);
        }
        gWorker.failure[0] = '\0';
    }
}

} // namespace

FillEnd Fail(const char* format, ...) {
    TellHeldFailure();
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(gWorker.failure, sizeof gWorker.failure, format, arguments);
    va_end(arguments);
    return kFillFailed;
}

FillEnd FailPath(const char* format, const char* path) {
    TellHeldFailure();
    FormatPathLine(format, path, gWorker.failure, sizeof gWorker.failure);
    return kFillFailed;
}

FillEnd FailFlush(const char* path) {
    return FailPath("Error writing file [%s]", path);
}

FillEnd FailUnwritable(long long sectors) {
    return Fail("%I64i sectors of free space could not be written", sectors);
}

FillEnd FailDriveGone() {
    const char* drive = gRunState.selectedDrive;
    return Fail("Cannot detect Free space on drive %s\nBe sure drive %s is available to the system", drive,
                drive);
}

FillEnd FailToStart(const Start& start) {
    switch (start.how) {
    case kNoFreeName:
        return Fail("Cannot find a free file name on drive %s", gRunState.selectedDrive);
    case kNoNode:
        return Fail("Out of memory");
    case kRefused:
    case kStarted: // not a failure: never asked for
        break;
    }
    return FailPath("Error opening file [%s]", start.path);
}

// Data still in a cache when its file is deleted never reaches the medium:
// every fill file is flushed before anything counts as done, but for the one
// a stop leaves. After a stop nothing is promised, and the flush of a large
// file to a slow stick could outlast the end of the process, leaving the
// files behind. False when the flush failed.
bool CloseFillFile(bool flush) {
    if (gWorker.fillFile == nullptr) {
        return true;
    }
    bool flushed = !flush || FileFlush(gWorker.fillFile) == 0;
    FileClose(gWorker.fillFile);
    gWorker.fillFile = nullptr;
    return flushed;
}

// The caller decides whether a file that cannot be opened matters. The
// small files of the later steps are created only as new files: a file
// needs no truncation, another's is never emptied, and the create itself
// tells a name that is taken (under Wine, a lookup of a free name reads the
// whole folder: one such lookup per file, not two). What is made goes on the
// list at once, and what could not go on it is undone: the list holds
// everything of the run's own on the drive, and nothing else.
Start StartFillFile(const char* folder, unsigned nameLength, bool announce, bool asFolder) {
    static char path[kMaxPathBytes + kMaxPaddedLength];
    bool fresh = nameLength != 0;
    for (unsigned tries = 0;; ++tries) {
        const char* name = tries < kNameCount ? NextTempName(folder, nameLength, !fresh) : nullptr;
        if (name == nullptr) {
            ResetTempNames();
            return {kNoFreeName, path};
        }
        snprintf(path, sizeof path, "%s%s%s", folder, name, asFolder ? "\\" : "");
        gWorker.sectorsInFile = 0;
        if (announce) {
            LogPathLine("Creating file [%s]", path);
        }
        bool made = asFolder ? FolderMake(path)
                             : (gWorker.fillFile = FileOpen(path, fresh ? "wbx" : "wb")) != nullptr;
        if (!made) {
            DWORD error = GetLastError();
            if (!fresh || (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)) {
                SetLastError(error);
                return {kRefused, path};
            }
            continue; // another's, or an earlier run's that stays
        }
        FillFileNode* node = NewFillFileNode(path);
        if (node == nullptr) {
            if (!asFolder) {
                CloseFillFile(false);
            }
            asFolder ? FolderDelete(path) : FileDelete(path, false);
            return {kNoNode, path};
        }
        node->Kind = asFolder ? kFolderKind : fresh ? kSmallFileKind : kFillFileKind;
        (gWorker.fillListTail == nullptr ? gWorker.fillListHead : gWorker.fillListTail->Next) = node;
        gWorker.fillListTail = node;
        return {kStarted, path};
    }
}

bool FlushFillFile(const char* path) {
    HANDLE file = FileOpen(path, "r+");
    bool flushed = file != nullptr && FileFlush(file) == 0;
    if (file != nullptr) {
        FileClose(file);
    }
    return flushed;
}

void DropFillFileNode(FillFileNode* previous, FillFileNode* node) {
    (previous != nullptr ? previous->Next : gWorker.fillListHead) = node->Next;
    gWorker.fillListTail = gWorker.fillListTail == node ? previous : gWorker.fillListTail;
    free(node->Name);
    free(node);
}

bool DeleteFillFileNow(FillFileNode* previous, FillFileNode* node) {
    FillFileNode* alone = NewFillFileNode(node->Name);
    if (alone == nullptr) {
        return false;
    }
    alone->Kind = node->Kind;
    DropFillFileNode(previous, node);
    return DeleteFillFiles(alone, false) == 0;
}

namespace {

bool MeasureFreeSpace() {
    return QueryFreeBytes(gWorker.rootPath, &gWorker.freeBytes);
}

long long FreeSectors() {
    return static_cast<long long>(gWorker.freeBytes >> 9);
}

// Measures again where the fill cannot go on (no next file, or the write
// limit reached): complete when no whole sector is free. True when free
// sectors are left; *end is set otherwise.
bool MeasureWhatIsLeft(FillEnd* end) {
    if (!MeasureFreeSpace()) {
        *end = FailDriveGone();
        return false;
    }
    if (FreeSectors() == 0) {
        *end = kFillComplete;
        return false;
    }
    return true;
}

// Closes the current fill file and opens the next. A full file is closed
// without a flush: the drive goes on taking the next file's zeros while the
// cache writes the last file's back, and FlushFillFiles flushes it
// once the drive is full. A file that cannot be had ends the fill; that alone
// is no failure when nothing is free any more (the extra, empty file after
// an exact fill).
bool ChangeFillFile(FillEnd* end) {
    CloseFillFile(false);
    Start next = StartFillFile(gWorker.rootPath, 0, true);
    if (next.how == kStarted) {
        return true;
    }
    if (MeasureWhatIsLeft(end)) {
        *end = FailToStart(next);
    }
    return false;
}

// A write that got nothing: the drive is full, or will not grow this file,
// or is failing. Measure again and write what the drive says is free into
// this file, else into a fresh one; free space that a fresh file cannot take
// either is free space that cannot be written. When the measurement finds
// nothing free, one sector is still asked for: a measurement may round down
// (Wine counts whole 4 KiB units), and a file system may refuse a whole page
// where a single sector still fits.
bool RecoverFromEmptyWrite(FillEnd* end) {
    if (!MeasureFreeSpace()) {
        *end = FailDriveGone();
        return false;
    }
    long long freeSectors = FreeSectors();
    if (gWorker.remainingSectors > 0) {
        gWorker.remainingSectors = freeSectors;
    }
    unsigned asked = freeSectors > 0 ? RecoverySectors(freeSectors) : 1;
    gWorker.lastWritten = FileWrite(gWorker.writeBuffer, kSectorSize, asked, gWorker.fillFile);
    if (gWorker.lastWritten != 0) {
        return true;
    }
    if (freeSectors == 0) {
        *end = kFillComplete;
        return false;
    }
    if (gWorker.sectorsInFile == 0) {
        *end = FailUnwritable(freeSectors);
        return false;
    }
    return ChangeFillFile(end);
}

// Writes until the drive takes no more: first the measured count, then on
// past it (within the write limit) for the free space the measurement missed.
// Quiet, the gauge and the status line are left as they are.
FillEnd FillFreeSpace(bool quiet = false) {
    FillEnd end;
    for (;;) {
        long long left = SectorsLeft(gWorker.remainingSectors, gWorker.writtenSectors, gWorker.writeLimit);
        if (left <= 0) {
            // The write limit is reached: what is still free was not written.
            return MeasureWhatIsLeft(&end) ? FailUnwritable(FreeSectors()) : end;
        }
        unsigned asked = SectorsToAsk(left, gWorker.sectorsInFile);
        gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
        gWorker.lastWritten = FileWrite(gWorker.writeBuffer, kSectorSize, asked, gWorker.fillFile);
        if (gWorker.lastWritten == 0 && !RecoverFromEmptyWrite(&end)) {
            return end;
        }
        gWorker.remainingSectors -= gWorker.lastWritten;
        gWorker.writtenSectors += gWorker.lastWritten;
        gWorker.sectorsInFile += gWorker.lastWritten;
        if (gWorker.sectorsInFile >= kFileCapSectors && !ChangeFillFile(&end)) {
            return end;
        }
        if (!quiet) {
            unsigned percent = ProgressPercent(gWorker.totalSectors, gWorker.remainingSectors);
            SignalFillProgress(percent);
            ShowStepStatus(kStepFill, gWorker.writtenSectors, gWorker.remainingSectors);
        }
        if (gRunState.stopRequest.load(std::memory_order_relaxed) != 0) {
            return kFillStopped;
        }
    }
}

// Flushes the files of the list from first on but open, which were closed
// unflushed (the cache of a file outlives its handle); the first that cannot
// be opened or flushed is named. With progress, the status line counts them.
FillEnd FlushFillFiles(const FillFileNode* first, const FillFileNode* open, bool progress) {
    unsigned done = 1, total = CountFillFiles(first);
    for (const FillFileNode* node = first; node != nullptr; node = node->Next) {
        if (node == open) {
            continue;
        }
        if (progress) {
            ShowStepStatus(kStepFlush, done++, total);
        }
        if (!IsFolderKind(node->Kind) && !FlushFillFile(node->Name)) {
            return FailFlush(node->Name);
        }
    }
    return kFillComplete;
}

// The one place that turns the end of a fill into the job's outcome and its
// report. The fill files are flushed first: a success needs their zeros on
// the medium and, on NTFS, the free records of the file table taken too.
// Every fill file is deleted before the outcome is told: a success also
// needs them all gone, and a file that stays has been named by then.
JobOutcome ConcludeFill(FillEnd end) {
    const FillFileNode* open = gWorker.fillFile != nullptr ? gWorker.fillListTail : nullptr;
    if (end != kFillStopped) {
        SignalLaterSteps();
        ShowStepStatus(kStepFlush, 0, CountFillFiles(gWorker.fillListHead));
    }
    if (!CloseFillFile(end != kFillStopped)) {
        end = end == kFillComplete ? FailFlush(open->Name) : end;
    } else if (end == kFillComplete) {
        end = FlushFillFiles(gWorker.fillListHead, open, true);
    }
    // The steps after the fill, in turn: each only after a complete one.
    static FillEnd (*const kSteps[])() = {CheckWhatTheDriveKept, CleanFreeRecords, CleanFolderEntries,
                                          TopUpFreedSpace};
    for (auto step : kSteps) {
        end = end == kFillComplete ? step() : end;
    }
    unsigned left = DeleteFillFiles(gWorker.fillListHead, true);
    gWorker.fillListHead = nullptr;
    gWorker.fillListTail = nullptr;
    if (end == kFillComplete && left == 0) {
        LogLine("Operation succeeded");
        return kJobSucceeded;
    }
    if (end == kFillStopped) {
        LogLine("Operation was stopped");
        return kJobStopped;
    }
    TellHeldFailure(); // the files that stay were named already
    return kJobFailed;
}

JobOutcome CleanDrive() {
    const char* drive = gRunState.selectedDrive;
    if (!ClearLeftovers(gWorker.rootPath, gWorker.writeBuffer)) {
        return ConcludeFill(kFillStopped);
    }
    if (!MeasureFreeSpace()) {
        FailDriveGone();
        TellHeldFailure(); // nothing was made: nothing to delete first
        return kJobMeasureFailed;
    }
    LogLine("Free space on drive %s is %I64i in byte", drive, static_cast<long long>(gWorker.freeBytes));
    gWorker.totalSectors = gWorker.freeBytes >> 9;
    LogLine("Free space on drive %s is %I64i in Sectors", drive,
            static_cast<long long>(gWorker.totalSectors));
    gWorker.remainingSectors = static_cast<long long>(gWorker.totalSectors);
    gWorker.writeLimit = WriteLimit(gWorker.totalSectors);
    QueryFileSystemName(gWorker.rootPath, gWorker.fileSystem, sizeof gWorker.fileSystem);
    MakeFolderForRecords();
    Start first = StartFillFile(gWorker.rootPath, 0, true);
    if (first.how == kStarted) {
        return ConcludeFill(FillFreeSpace());
    }
    if (first.how == kRefused && ClassifyRefusal(GetLastError()) == kFolderFull) {
        // A root with no room for a file (a full stick, a diskette's fixed
        // root): with nothing free there is nothing to fill, and the later
        // steps still take the free entries of the other folders. With free
        // space there is no place to fill it from: in another folder the
        // file could grow it for good.
        return ConcludeFill(FreeSectors() == 0 ? kFillComplete
                                               : Fail("The root folder of drive %s has no room for another "
                                                      "file, so its free space cannot be written: move one "
                                                      "file out of it, then run Tessarine again",
                                                      drive));
    }
    return ConcludeFill(FailToStart(first));
}

} // namespace

// The run's own folders and small files go while the fill files keep the
// drive full. What they held of the free space (the folder made before the
// fill takes a block of a drive that keeps no small file in its record)
// comes back holding what it held: a folder deleted before its block reached
// the medium was never written there. The last fill file takes it again with
// zeros, flushed.
FillEnd TopUpFreedSpace() {
    bool folders = false; // only a folder holds any of the free space, but for one made of the fill's zeros
    for (const FillFileNode* node = gWorker.fillListHead; node != nullptr; node = node->Next) {
        folders = folders || node->Kind == kFolderKind;
    }
    FillFileNode* tail = nullptr;
    if (!folders) {
        return kFillComplete;
    }
    if (DeleteOwnEntries(&gWorker.fillListHead, &tail, true) != 0) {
        return kFillFailed; // named already
    }
    gWorker.fillListTail = tail;
    return tail != nullptr ? WriteOnto(tail) : kFillComplete;
}

FillEnd WriteOnto(FillFileNode* node) {
    if (!MeasureFreeSpace()) {
        return FailDriveGone();
    }
    gWorker.fillFile = FileOpen(node->Name, "ab");
    if (gWorker.fillFile == nullptr) {
        return FailPath("Error opening file [%s]", node->Name);
    }
    FillFileNode* tail = gWorker.fillListTail;
    gWorker.sectorsInFile = static_cast<unsigned>(FileSeekPos(gWorker.fillFile, FILE_END, 0) / kSectorSize);
    gWorker.remainingSectors = FreeSectors();
    gWorker.writeLimit = gWorker.writtenSectors + WriteLimit(FreeSectors());
    FillEnd end = FillFreeSpace(true);
    if (end != kFillComplete) {
        CloseFillFile(false);
        return end;
    }
    // A fill file begun here is the list's last, and node was closed unflushed.
    const FillFileNode* current = gWorker.fillListTail != tail ? gWorker.fillListTail : node;
    if (!CloseFillFile(true)) {
        return FailFlush(current->Name);
    }
    if (current == node) {
        return kFillComplete;
    }
    // node, then the files begun after it but the last
    return FlushFillFile(node->Name) ? FlushFillFiles(tail->Next, current, false) : FailFlush(node->Name);
}

JobOutcome RunCleaningJob() {
    memset(&gWorker, 0, sizeof gWorker);
    SignalRunBegins();
    StartRunStatus();
    LogLine("Cleaning un-used sectors on drive %s", gRunState.selectedDrive);
    snprintf(gWorker.rootPath, sizeof gWorker.rootPath, "%s\\", gRunState.selectedDrive);
    gWorker.writeBuffer = static_cast<char*>(calloc(1, kWriteBufferSize));
    JobOutcome outcome = kJobFailed;
    if (gWorker.writeBuffer == nullptr) {
        LogLine("Out of memory");
    } else {
        outcome = CleanDrive();
        free(gWorker.writeBuffer);
        gWorker.writeBuffer = nullptr;
    }
    ShowRunSummary(outcome, gWorker.writtenSectors * kSectorSize);
    SignalRunEnds(outcome == kJobSucceeded ? kRunSucceeded
                  : outcome == kJobStopped ? kRunStopped
                                           : kRunFailed);
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
