// The steps after a complete fill, while the drive is full: small files of
// zeros take what the free space does not include. NTFS keeps a small file's
// contents in its record of the file table, and every file system keeps a
// deleted file's name in its folder's entry; records and entries are free for
// reuse, but no free space.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"
#include "engine/fill_plan.h"
#include "engine/free_space.h"
#include "engine/job.h"
#include "frame/run_state.h"

namespace {

bool StopRequested() {
    return gRunState.stopRequest.load(std::memory_order_relaxed) != 0;
}

// NTFS keeps the contents of a small file inside the file's record in its file
// table, and a deleted file's record is free for reuse but is not free space.
// Once the free clusters are full, small fill files of zeros take the free
// records, until the file system refuses a new file or its data.
FillEnd CleanFreeRecords() {
    char fileSystem[32];
    QueryFileSystemName(gWorker.rootPath, fileSystem, sizeof fileSystem);
    if (!KeepsSmallFilesInItsFileTable(fileSystem)) {
        return kFillComplete;
    }
    LogLine("Cleaning the free records of the file table on drive %s", gRunState.selectedDrive);
    FillEnd end = kFillComplete;
    long long records = 0;
    for (;;) {
        gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
        FillEnd opened = StartFillFile(gWorker.rootPath, 0, false);
        if (opened != kFillGoesOn) {
            if (opened == kFillNoName) {
                end = kFillNoRecordName;
            } else if (opened == kFillNoMemory) {
                end = kFillNoMemory;
            }
            break;
        }
        bool taken = FileWrite(gWorker.writeBuffer, kRecordFillBytes, 1, gWorker.fillFile) == 1;
        if (!CloseFillFile()) {
            end = kFillFlushFailed;
            break;
        }
        if (!taken) {
            break;
        }
        ++records;
        if (gRunState.stopRequest.load(std::memory_order_relaxed) != 0) {
            end = kFillStopped;
            break;
        }
    }
    LogLine("%I64i free records of the file table were overwritten", records);
    return end;
}

// Name lengths, longest first: exFAT keeps a name in a set of entries, one
// per 15 characters and two more, and a free run that is shorter than a set
// takes no file; a deleted long name leaves a long run. The last, 0, is the
// plain name: one entry on FAT, a set of three on exFAT.
unsigned NameLength(unsigned round) {
    return round < 16 ? (17 - round) * 15 : 0;
}
enum : unsigned { kNameRounds = 17 };

struct EntryCount {
    long long entries;
    long long leftOut; // folders that cannot be written
};

// Empty fill files in folder until the file system refuses one: on a full
// drive a folder cannot grow, so they take exactly the entries it has free,
// and those are the entries of deleted files. Each gets the zeros that NTFS
// would keep in its record; elsewhere the full drive refuses them.
FillEnd FillFolderEntries(const char* folder, EntryCount* count) {
    size_t folderLength = strlen(folder);
    for (unsigned round = 0; round < kNameRounds; ++round) {
        unsigned length = NameLength(round);
        if (folderLength + length >= MAX_PATH) {
            continue;
        }
        for (;;) {
            gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
            FillEnd opened = StartFillFile(folder, length, false);
            if (opened == kFillNoName) {
                if (gWorker.namelessFolder[0] == '\0') {
                    lstrcpynA(gWorker.namelessFolder, folder, sizeof gWorker.namelessFolder);
                }
                return kFillNoEntryName;
            }
            if (opened == kFillNoMemory) {
                return kFillNoMemory;
            }
            if (opened == kFillNotOpened) {
                DWORD error = GetLastError();
                ForgetLastFillFile(); // never made
                if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
                    ++count->leftOut;
                    return kFillComplete;
                }
                break;
            }
            FileWrite(gWorker.writeBuffer, kRecordFillBytes, 1, gWorker.fillFile);
            if (!CloseFillFile()) {
                return kFillFlushFailed;
            }
            ++count->entries;
            if (StopRequested()) {
                return kFillStopped;
            }
        }
    }
    return kFillComplete;
}

// The names of one folder running out stops no other.
bool GoesOn(FillEnd end) {
    return end == kFillComplete || end == kFillNoEntryName;
}

// Puts the subfolders of folder on the stack; reparse points are never
// followed: a junction or link on the drive may lead to another drive.
FillEnd PushSubfolders(const char* folder, FillFileNode** pending) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s*", folder);
    FoundFile found;
    HANDLE find = FileFindFirst(path, &found);
    FillEnd end = kFillComplete;
    for (bool more = find != nullptr; more; more = FileFindNext(find, &found)) {
        if (!found.folder || found.reparse || strcmp(found.name, ".") == 0 || strcmp(found.name, "..") == 0 ||
            snprintf(path, sizeof path, "%s%s\\", folder, found.name) >= static_cast<int>(sizeof path)) {
            continue;
        }
        FillFileNode* next = NewFillFileNode(path);
        if (next == nullptr) {
            end = kFillNoMemory;
            break;
        }
        next->Next = *pending;
        *pending = next;
    }
    if (find != nullptr) {
        FileFindClose(find);
    }
    return end;
}

// Every folder of the drive, depth first, from a stack on the heap: the
// worker's own stack is small.
FillEnd CleanFolderEntries() {
    LogLine("Cleaning the names of deleted files on drive %s", gRunState.selectedDrive);
    EntryCount count = {0, 0};
    FillFileNode* pending = NewFillFileNode(gWorker.rootPath);
    FillEnd end = pending != nullptr ? kFillComplete : kFillNoMemory;
    while (pending != nullptr) {
        FillFileNode* folder = pending;
        pending = folder->Next;
        if (GoesOn(end)) {
            FillEnd step = FillFolderEntries(folder->Name, &count);
            end = step != kFillComplete ? step : end;
        }
        if (GoesOn(end)) {
            FillEnd pushed = PushSubfolders(folder->Name, &pending);
            end = pushed != kFillComplete ? pushed : end;
        }
        free(folder->Name);
        free(folder);
    }
    LogLine("%I64i free entries of folders were overwritten", count.entries);
    if (count.leftOut != 0) {
        LogLine("%I64i folders were left out: they cannot be written", count.leftOut);
    }
    return end;
}

} // namespace

FillEnd CleanAfterFill() {
    FillEnd end = CleanFreeRecords();
    return end == kFillComplete ? CleanFolderEntries() : end;
}
