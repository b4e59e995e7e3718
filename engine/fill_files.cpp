// Fill-file names run like an odometer over a three-letter counter, last
// letter fastest: _16I.AAA, _16I.AAB, ... _16I.ZZZ, then AAA again. A name
// already taken on the drive makes the next try advance the letter to the
// left of the one just changed; a call gives up when the counter has run out
// twice within it.
#include "engine/fill_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "engine/clock.h"
#include "engine/file_access.h"
#include "engine/fill_plan.h"
#include "engine/path_text.h"
#include "engine/run_status.h"
#include "frame/run_state.h"

namespace {

char gTempName[kMaxTempNameLength + 1];
char gPaddedName[kMaxTempNameLength + kMaxPaddedLength + 1];

// "_", the process id, ".", "AA" and the character before "A", so that the
// first advance gives "AAA". Returns the name's length.
size_t InitialiseTempName() {
    gTempName[0] = '_';
    FormatProcessIdBase32(GetCurrentProcessId(), gTempName + 1);
    size_t length = strlen(gTempName);
    memcpy(gTempName + length, ".AA@", 5);
    return length + 4;
}

} // namespace

void FormatProcessIdBase32(unsigned long processId, char* out) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    char reversed[8];
    int count = 0;
    unsigned long value = processId & 0xFFFFFFFFul;
    do {
        reversed[count++] = kDigits[value % 32];
        value /= 32;
    } while (value != 0);
    for (int i = 0; i < count; ++i) {
        out[i] = reversed[count - 1 - i];
    }
    out[count] = '\0';
}

bool IsFillFileName(const char* name) {
    if (name[0] != '_') {
        return false;
    }
    while (name[1] == '0' && name[2] != '.') {
        ++name; // the padding of a long name
    }
    size_t digits = 0;
    for (char c = name[1]; (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'); c = name[1 + ++digits]) {
    }
    const char* counter = name + 2 + digits;
    if (digits < 1 || digits > 7 || counter[-1] != '.') {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (counter[i] < 'A' || counter[i] > 'Z') {
            return false;
        }
    }
    return counter[3] == '\0';
}

bool IsPaddedName(const char* name) {
    const char* dot = strchr(name, '.');
    return name[0] == '_' && name[1] == '0' && dot != nullptr && dot - name > 7;
}

Leftover LeftoverOf(const char* name, unsigned long long size, bool whereFillFilesLie) {
    if (!IsFillFileName(name)) {
        return kNotALeftover;
    }
    const char* dot = strchr(name, '.');
    if (IsPaddedName(name)) {
        return size <= kRecordFillBytes ? kEntryLeftover : kNotALeftover;
    }
    // A run's fill files count from AAA: far fewer than 26 x 26 of 2 GiB.
    bool fill = whereFillFilesLie && size != 0 && size % kSectorSize == 0 && dot[1] == 'A';
    return fill && (name[1] != '0' || name[2] == '.') ? kFillLeftover : kNotALeftover;
}

void ResetTempNames() {
    gTempName[0] = '\0';
}

void PadTempName(const char* name, unsigned length, char* out) {
    size_t plain = strlen(name);
    size_t zeros = length > plain ? length - plain : 0;
    out[0] = name[0];
    memset(out + 1, '0', zeros);
    memcpy(out + 1 + zeros, name + 1, plain);
}

const char* NextTempName(const char* directory, unsigned length, bool probe) {
    size_t nameLength = gTempName[0] == '_' ? strlen(gTempName) : InitialiseTempName();
    size_t position = nameLength;
    int wraps = 0;
    static char candidate[kMaxPathBytes + kMaxPaddedLength];
    size_t directoryLength = strlen(directory);
    if (length > kMaxPaddedLength || directoryLength + kMaxTempNameLength + length + 1 > sizeof candidate) {
        return nullptr;
    }
    memcpy(candidate, directory, directoryLength);

    for (;;) {
        --position;
        if (gTempName[position] == '.') {
            // The counter has run out: start it again from the beginning.
            nameLength = InitialiseTempName();
            position = nameLength - 1;
            ++wraps;
        }
        if (gTempName[position] == 'Z') {
            gTempName[position] = 'A';
            continue;
        }
        ++gTempName[position];
        PadTempName(gTempName, length, candidate + directoryLength);
        if (!probe || !FileExists(candidate) || wraps >= 2) {
            break;
        }
    }
    if (wraps == 2) {
        gTempName[0] = '\0';
        return nullptr;
    }
    memcpy(gPaddedName, candidate + directoryLength, strlen(candidate + directoryLength) + 1);
    return gPaddedName;
}

FillFileNode* NewFillFileNode(const char* path) {
    FillFileNode* node = static_cast<FillFileNode*>(malloc(sizeof(FillFileNode)));
    if (node == nullptr) {
        return nullptr;
    }
    size_t size = strlen(path) + 1;
    node->Name = static_cast<char*>(malloc(size));
    if (node->Name == nullptr) {
        free(node);
        return nullptr;
    }
    memcpy(node->Name, path, size);
    node->Next = nullptr;
    node->Left = false;
    node->Pending = false;
    node->Kind = kFillFileKind;
    return node;
}

namespace {

size_t FolderLength(const char* path) {
    const char* slash = strrchr(path, '\\');
    return slash != nullptr ? static_cast<size_t>(slash - path) + 1 : 0;
}

// The last of count files of one folder that stay (path is freed).
void ReportLeft(char* path, unsigned count) {
    if (path == nullptr) {
        return;
    }
    if (count == 1) {
        LogPathLine("Cannot delete file [%s]", path);
    } else {
        path[FolderLength(path)] = '\0';
        char format[64];
        snprintf(format, sizeof format, "Cannot delete %u files in folder [%%s]", count);
        LogPathLine(format, path);
    }
    free(path);
}

} // namespace

unsigned CountFillFiles(const FillFileNode* first) {
    unsigned count = 0;
    for (; first != nullptr; first = first->Next) {
        ++count;
    }
    return count;
}

namespace {

bool InOneFolder(const char* a, const char* b) {
    size_t folder = FolderLength(a);
    return folder == FolderLength(b) && strncmp(a, b, folder) == 0;
}

// Marks the files of first up to end (one folder's) that its listing still
// shows. Under Wine a lookup of a name that is not there reads the whole
// folder, so one listing proves a run of deletions, where a lookup per file
// cost a read of the folder per file. A folder that cannot be listed, or a
// drive that is gone (every path is "not found" then), proves nothing: false
// then.
bool MarkThoseLeft(FillFileNode* first, const FillFileNode* end) {
    static char pattern[kMaxPathBytes + 2];
    size_t folder = FolderLength(first->Name);
    snprintf(pattern, sizeof pattern, "%.*s*", static_cast<int>(folder), first->Name);
    FoundFile found;
    HANDLE find = FileFindFirst(pattern, &found);
    DWORD error = GetLastError();
    bool listed = (find != nullptr || error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ||
                   error == ERROR_PATH_NOT_FOUND) &&
                  DriveOfPathIsThere(first->Name);
    for (FillFileNode* node = first; node != end; node = node->Next) {
        node->Left = !listed;
    }
    for (bool more = find != nullptr; more; more = FileFindNext(find, &found)) {
        for (FillFileNode* node = first; node != end && IsPaddedName(found.name); node = node->Next) {
            node->Left = node->Left || lstrcmpiA(node->Name + folder, found.name) == 0;
        }
    }
    if (find != nullptr) {
        FileFindClose(find);
    }
    return listed;
}

// Files whose deletion was taken while another program holds them stay
// listed until it lets go: they are waited for, tried and proved again, for
// up to kPendingWaitMs a folder before they count as left.
enum : DWORD { kPendingWaitMs = 10000, kPendingStepMs = 200 };
void WaitForPending(FillFileNode* first, const FillFileNode* end, bool small) {
    DWORD start = ClockMilliseconds();
    for (;;) {
        unsigned pending = 0;
        for (const FillFileNode* node = first; node != end; node = node->Next) {
            pending += node->Left && node->Pending ? 1 : 0;
        }
        DWORD waited = ClockMilliseconds() - start;
        if (pending == 0 || waited >= kPendingWaitMs) {
            return;
        }
        ShowStepStatus(kStepPending, pending, (kPendingWaitMs - waited + 999) / 1000);
        PauseMilliseconds(kPendingStepMs);
        gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
        for (FillFileNode* node = first; node != end; node = node->Next) {
            if (node->Left && node->Pending) {
                if (small) {
                    FileRemove(node->Name); // refused by a sharing violation, it may be taken now
                } else {
                    node->Left = !FileDelete(node->Name, false);
                }
            }
        }
        if (small && !MarkThoseLeft(first, end)) {
            return; // the drive is gone: nothing to wait for
        }
    }
}

// The run's own folders, innermost first (folders, as taken off the list,
// run from the last made), once their files are gone. A folder that stays
// keeps the ones that hold it: the last one named holds every other.
unsigned DeleteFolders(FillFileNode* folders) {
    unsigned left = 0;
    char* stays = nullptr;
    for (FillFileNode* next; folders != nullptr; folders = next) {
        next = folders->Next;
        gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
        bool gone = FolderDelete(folders->Name);
        left += gone ? 0 : 1;
        if (!gone) {
            free(stays);
            stays = folders->Name;
        } else {
            free(folders->Name);
        }
        free(folders);
    }
    if (left == 1) {
        LogPathLine("Cannot delete folder [%s]", stays);
    } else if (left > 1) {
        char format[64];
        snprintf(format, sizeof format, "Cannot delete folder [%%s] and %u folders in it", left - 1);
        LogPathLine(format, stays);
    }
    free(stays);
    return left;
}

} // namespace

unsigned DeleteFillFiles(FillFileNode* first, bool progress) {
    FillFileNode* folders = nullptr;
    for (FillFileNode** at = &first; *at != nullptr;) {
        FillFileNode* node = *at;
        if (IsFolderKind(node->Kind)) {
            *at = node->Next;
            node->Next = folders;
            folders = node;
        } else {
            at = &node->Next;
        }
    }
    unsigned left = 0, inFolder = 0, done = 0, total = progress ? CountFillFiles(first) : 0;
    char* lastLeft = nullptr; // the path of the last file that stays
    while (first != nullptr) {
        // The fill files of a folder together, or its small files.
        bool small = first->Kind == kSmallFileKind;
        FillFileNode* end = first->Next;
        while (end != nullptr && (end->Kind == kSmallFileKind) == small &&
               InOneFolder(first->Name, end->Name)) {
            end = end->Next;
        }
        for (FillFileNode* node = first; node != end; node = node->Next) {
            if (progress) {
                ShowStepStatus(kStepDeletion, done++, total);
            }
            gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
            if (small) {
                node->Pending = FileRemove(node->Name);
            } else {
                node->Left = !FileDelete(node->Name, true, &node->Pending);
            }
        }
        if (!small || MarkThoseLeft(first, end)) {
            WaitForPending(first, end, small);
        }
        for (FillFileNode* next; first != end; first = next) {
            next = first->Next;
            if (!first->Left) {
                free(first->Name);
            } else { // the user must know why the drive is full afterwards
                ++left;
                if (lastLeft != nullptr && InOneFolder(lastLeft, first->Name)) {
                    ++inFolder;
                    free(lastLeft);
                } else {
                    ReportLeft(lastLeft, inFolder);
                    inFolder = 1;
                }
                lastLeft = first->Name;
            }
            free(first);
        }
    }
    ReportLeft(lastLeft, inFolder);
    return left + DeleteFolders(folders);
}

unsigned DeleteOwnEntries(FillFileNode** head, FillFileNode** tail, bool progress) {
    FillFileNode* own = nullptr;
    FillFileNode** ownEnd = &own;
    *tail = nullptr;
    for (FillFileNode** at = head; *at != nullptr;) {
        FillFileNode* node = *at;
        if (node->Kind == kSmallFileKind || node->Kind == kFolderKind) {
            *at = node->Next;
            node->Next = nullptr;
            *ownEnd = node;
            ownEnd = &node->Next;
        } else {
            *tail = node->Kind == kHolderKind ? *tail : node;
            at = &node->Next;
        }
    }
    return own != nullptr ? DeleteFillFiles(own, progress) : 0;
}
