// A leftover is deleted only when it is all zeros: a file of the user's that
// happens to have a name of the same form is never lost. Nothing but the
// root's files of that form is opened.
#include "engine/leftovers.h"

#include <stdio.h>
#include <string.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"
#include "engine/fill_plan.h"
#include "frame/run_state.h"
#include "ui/message_log.h"

namespace {

enum Contents { kAllZeros, kNotZeros, kUnreadable, kStopped };

void Report(const char* format, const char* path) {
    char line[kLogLineSize];
    snprintf(line, sizeof line, format, path);
    AddLogLine(line);
}

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

} // namespace

bool ClearLeftovers(const char* rootPath, char* buffer) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s_*", rootPath);
    FoundFile found;
    HANDLE find = FileFindFirst(path, &found);
    bool stopped = false;
    for (bool more = find != nullptr; more && !stopped; more = FileFindNext(find, &found)) {
        if (found.folder || !IsFillFileName(found.name)) {
            continue;
        }
        snprintf(path, sizeof path, "%s%s", rootPath, found.name);
        HANDLE file = FileOpenAlone(path);
        if (file == nullptr) {
            continue; // in use: another instance may be cleaning this drive now
        }
        Contents contents = ReadContents(file, found.size, buffer);
        FileClose(file);
        stopped = contents == kStopped;
        if (contents == kAllZeros) {
            Report("Deleting file [%s] left by an earlier run", path);
            DeleteFillFiles(NewFillFileNode(path));
        } else if (contents == kNotZeros) {
            Report("File [%s] is not a fill file: left as it is", path);
        } else if (contents == kUnreadable) {
            Report("Error reading file [%s]", path);
        }
    }
    if (find != nullptr) {
        FileFindClose(find);
    }
    // The buffer writes the fill files next: zeros again.
    memset(buffer, 0, kWriteBufferSize);
    return !stopped;
}
