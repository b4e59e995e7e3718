// A leftover is deleted only when its name, its size and its zeros all say
// that a run of this program made it: a file of the user's that happens to
// have a name of the same form is never lost.
#include "engine/leftovers.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"
#include "engine/fill_plan.h"
#include "engine/folder_walk.h"
#include "engine/job.h"
#include "engine/path_text.h"
#include "engine/run_status.h"
#include "frame/run_state.h"

namespace {

enum Contents { kAllZeros, kNotZeros, kUnreadable, kStopped };

Contents ReadContents(HANDLE file, unsigned long long size, char* buffer) {
    for (unsigned long long read = 0; read < size;) {
        gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
        unsigned got = FileRead(buffer, 1, kWriteBufferSize, file);
        if (got == 0) {
            return kUnreadable;
        }
        for (unsigned i = 0; i < got; ++i) {
            if (buffer[i] != 0) {
                return kNotZeros;
            }
        }
        read += got;
        if (gRunState.stopRequest.load(std::memory_order_relaxed) != 0) {
            return kStopped;
        }
    }
    return kAllZeros;
}

// Fill files lie in the root, or in a folder of a run's own that its last
// steps moved them into: a folder of a padded name.
bool HoldsFillFiles(const char* folder) {
    size_t length = strlen(folder);
    if (length <= 3) {
        return true;
    }
    static char name[kMaxNameBytes];
    const char* end = folder + length - 1;
    const char* start = end;
    while (start[-1] != '\\') {
        --start;
    }
    lstrcpynA(name, start, static_cast<int>(end - start + 1));
    return LeftoverOf(name, 0, false) == kEntryLeftover;
}

void Push(const char* path, FillFileNode** list, NodeKind kind = kFolderKind) {
    FillFileNode* node = NewFillFileNode(path);
    if (node != nullptr) { // without memory, the file stays: that is safe
        node->Kind = kind;
        node->Next = *list;
        *list = node;
    }
}

// The leftovers of the walk's current folder onto *found; its subfolders
// into the walk, and those of a run's own onto *own too.
bool ListFolder(FolderWalk* walk, bool holdsFillFiles, FillFileNode** found, FillFileNode** own,
                char* buffer) {
    static char path[kMaxPathBytes + kMaxNameBytes];
    const char* folder = walk->current->Name;
    snprintf(path, sizeof path, "%s*", folder);
    FoundFile entry;
    HANDLE find = FileFindFirst(path, &entry);
    bool stopped = false;
    for (bool more = find != nullptr; more && !stopped; more = FileFindNext(find, &entry)) {
        if (entry.folder) { // an earlier run's own folder may hold its fill files
            const char* subfolder = WalkInto(walk, entry, true);
            if (subfolder != nullptr && LeftoverOf(entry.name, 0, false) == kEntryLeftover) {
                Push(subfolder, own);
            }
            continue;
        }
        if (entry.reparse ||
            snprintf(path, sizeof path, "%s%s", folder, entry.name) >= static_cast<int>(sizeof path)) {
            continue;
        }
        Leftover leftover = LeftoverOf(entry.name, entry.size, holdsFillFiles);
        if (leftover == kNotALeftover) {
            continue;
        }
        HANDLE file = FileOpenAlone(path);
        if (file == nullptr) {
            continue; // in use: another instance may be cleaning this drive now
        }
        Contents contents = ReadContents(file, entry.size, buffer);
        FileClose(file);
        stopped = contents == kStopped;
        if (contents == kAllZeros) {
            Push(path, found, leftover == kEntryLeftover ? kSmallFileKind : kFillFileKind);
        } else if (contents == kNotZeros) {
            LogPathLine("File [%s] is not a fill file: left as it is", path);
        } else if (contents == kUnreadable) {
            LogPathLine("Error reading file [%s]", path);
        }
    }
    if (find != nullptr) {
        FileFindClose(find);
    }
    return !stopped;
}

} // namespace

bool ClearLeftovers(const char* rootPath, char* buffer) {
    FolderWalk walk;
    WalkBegin(&walk, rootPath);  // without memory, nothing is cleared: that is safe
    FillFileNode* own = nullptr; // found after the folders that hold them
    bool stopped = false;
    unsigned long long folders = 0;
    for (const char* folder; !stopped && (folder = WalkNext(&walk)) != nullptr;) {
        ShowStepStatus(kStepLeftovers, ++folders, 0);
        FillFileNode* found = nullptr;
        stopped = !ListFolder(&walk, HoldsFillFiles(folder), &found, &own, buffer);
        unsigned count = CountFillFiles(found);
        if (count == 1) {
            LogPathLine("Deleting file [%s] left by an earlier run", found->Name);
        } else if (count > 1) {
            char format[80];
            snprintf(format, sizeof format, "Deleting %u files left by an earlier run in folder [%%s]",
                     count);
            LogPathLine(format, folder);
        }
        DeleteFillFiles(found, false);
    }
    WalkEnd(&walk);
    // Only an empty folder is deleted: one that holds anything else stays.
    unsigned deleted = 0;
    for (FillFileNode* next; own != nullptr; own = next) {
        next = own->Next;
        deleted += FolderDelete(own->Name) ? 1 : 0;
        free(own->Name);
        free(own);
    }
    if (deleted != 0) {
        LogLine("Deleted %u folder%s left by an earlier run", deleted, deleted == 1 ? "" : "s");
    }
    // The buffer writes the fill files next: zeros again.
    memset(buffer, 0, kWriteBufferSize);
    return !stopped;
}
