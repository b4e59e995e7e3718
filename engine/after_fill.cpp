// The steps after a complete fill, while the drive is full: small files of
// zeros take what the free space does not include. NTFS keeps a small file's
// contents in its record of the file table, and every file system keeps a
// deleted file's name in its folder's entry; records and entries are free for
// reuse, but no free space.
//
// A folder is done only when the file system says it is full. Any other
// answer names the folder: one that may not be written is passed over, one
// that fails for another reason makes the run a failure, and a drive that is
// gone ends it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "engine/file_access.h"
#include "engine/folder_walk.h"
#include "engine/fill_files.h"
#include "engine/fill_plan.h"
#include "engine/free_space.h"
#include "engine/job.h"
#include "engine/path_text.h"
#include "engine/run_status.h"
#include "frame/run_state.h"

namespace {

bool StopRequested() {
    return gRunState.stopRequest.load(std::memory_order_relaxed) != 0;
}

// Once a drive is gone, every path of it is "not found".
bool DriveIsThere() {
    return DriveOfPathIsThere(gWorker.rootPath);
}

enum Entry { kEntryTaken, kEntryNoData, kEntryFull, kEntryTooLong, kEntryEnds };
enum What { kEmptyFile, kRecordFile, kOwnFolder };

// One more fill file in folder, of a name length characters long. Where its
// data is needed, with the zeros that NTFS keeps in its record (elsewhere the
// full drive refuses them), flushed at once; otherwise empty, and its entry
// reaches the medium with the folder's flush (FlushFolderEntries). Or a
// folder of the run's own, which NTFS keeps in a record too. kEntryEnds sets
// *end.
Entry TakeEntry(const char* folder, unsigned length, What what, FillEnd* end) {
    gRunState.workerBeat.fetch_add(1, std::memory_order_relaxed);
    Start started = StartFillFile(folder, length, false, what == kOwnFolder);
    if (started.how == kRefused) {
        switch (ClassifyRefusal(GetLastError())) {
        case kFolderFull:
            return kEntryFull;
        case kNameTooLong:
            return kEntryTooLong;
        case kFolderNotFound: // a folder deleted meanwhile has no entries left
            if (DriveIsThere()) {
                return kEntryFull;
            }
            *end = FailDriveGone();
            return kEntryEnds;
        case kFolderRefused:
            *end = kFillFolderRefused;
            return kEntryEnds;
        case kRefusedOtherwise:
            break;
        }
        *end = kFillFolderFailed;
        return kEntryEnds;
    }
    if (started.how != kStarted) {
        *end = started.how == kNoFreeName ? kFillNoEntryName : FailToStart(started);
        return kEntryEnds;
    }
    if (what == kOwnFolder) {
        return kEntryTaken;
    }
    bool dataNeeded = what == kRecordFile;
    bool taken = !dataNeeded || FileWrite(gWorker.writeBuffer, kRecordFillBytes, 1, gWorker.fillFile) == 1;
    if (!CloseFillFile(dataNeeded)) {
        *end = FailFlush(gWorker.fillListTail->Name);
        return kEntryEnds;
    }
    return taken ? kEntryTaken : kEntryNoData;
}

// How a folder's end is told: a folder that may not be written is named and
// passed over; the first folder that fails, or has more entries than names,
// is named as the outcome, a later one at once. The names step goes on.
FillEnd FolderEnd(const char* folder, FillEnd end) {
    if (end == kFillFolderRefused) {
        LogPathLine("Folder [%s] cannot be written: the names of files deleted in it may be left", folder);
        return kFillComplete;
    }
    if (end != kFillNoEntryName && end != kFillFolderFailed) {
        return end;
    }
    const char* text = end == kFillNoEntryName ? "Not enough file names for the free entries of folder [%s]"
                                               : "Cannot write the free entries of folder [%s]";
    if (gWorker.failure[0] == '\0') {
        FailPath(text, folder);
    } else {
        LogPathLine(text, folder);
    }
    return kFillFolderFailed;
}

// Names running out in a folder of the records are the records' names.
FillEnd RecordsEnd(const char* folder, FillEnd end) {
    return end == kFillNoEntryName
               ? Fail("Not enough file names for the free records of the file table on drive %s",
                      gRunState.selectedDrive)
               : FolderEnd(folder, end);
}

// One more small file of zeros (or folder of the run's own) in folder, its
// zeros flushed at once; the step's count goes on. kFillGoesOn while the file
// system takes them, kFillComplete once it refuses one; a folder that cannot
// be written ends the step.
FillEnd TakeOneRecord(const char* folder, What what) {
    FillEnd end = kFillComplete;
    Entry entry = TakeEntry(folder, kEntryNameLength, what, &end);
    if (entry == kEntryEnds) {
        return RecordsEnd(folder, end);
    }
    if (entry == kEntryNoData) {
        // No data in the record: Wine names every drive NTFS, and this one
        // is not. The file took a folder entry that the names of deleted
        // files need, longest first.
        FileRemove(gWorker.fillListTail->Name);
    }
    if (entry != kEntryTaken) {
        return kFillComplete;
    }
    ShowStepStatus(kStepRecords, ++gWorker.records, 0);
    return StopRequested() ? kFillStopped : kFillGoesOn;
}

// Small files of zeros in folder until the file system refuses one, or most
// of them (-1: no limit).
FillEnd TakeRecords(const char* folder, long long most) {
    for (long long made = 0; made != most; ++made) {
        FillEnd end = TakeOneRecord(folder, kRecordFile);
        if (end != kFillGoesOn) {
            return end;
        }
    }
    return kFillComplete;
}

// The next folder of the records' tree after node, breadth first: a folder's
// folders follow it on the list.
FillFileNode* NextFolder(FillFileNode* node) {
    for (node = node->Next; node != nullptr && node->Kind != kFolderKind; node = node->Next) {
    }
    return node;
}

// The records' tree under top: in each folder two folders and two small
// files, a folder's index that stays inside its own record. No folder is
// ever full, so the first create refused finds no free record left: a
// create refused while records are free costs one until the drive is
// mounted again on some drivers (ntfs-3g), and such a record keeps what it
// held. The tree's folders follow the list's last fill file (last).
FillEnd GrowRecordsTree(FillFileNode* top, FillFileNode* last) {
    for (FillFileNode* folder = top; folder != nullptr; folder = NextFolder(folder == top ? last : folder)) {
        for (int made = folder == top ? 1 : 0; made < 4; ++made) { // top holds the first file already
            FillEnd end = TakeOneRecord(folder->Name, made < 2 ? kOwnFolder : kRecordFile);
            if (end != kFillGoesOn) {
                return end;
            }
        }
    }
    return kFillComplete;
}

// The tree's records are all overwritten: its files and folders go again, so
// that the names step has free records for the files it makes in the
// drive's folders (its refusals may cost records too, but clean ones now).
FillEnd DeleteRecordsTree(FillFileNode* last) {
    FillFileNode* tree = last->Next;
    last->Next = nullptr;
    gWorker.fillListTail = last;
    return DeleteFillFiles(tree, false) == 0 ? kFillComplete : kFillFailed; // named
}

// Name lengths, longest first: exFAT keeps a name in a set of entries, one
// per 15 characters and two more, and a free run that is shorter than a set
// takes no file; a deleted long name leaves a long run. The last is the
// shortest: one entry on FAT, a set of three on exFAT.
unsigned NameLength(unsigned round) {
    return round < 16 ? (17 - round) * 15 : kEntryNameLength;
}
enum : unsigned { kNameRounds = 17, kLongestPath = 32767 };
// What the largest fill file gives back for a folder of the run's own: its
// cluster, at least this much (a drive may report a smaller one than it has).
enum : unsigned { kMinHolderBytes = 1u << 20 };

// Empty fill files in folder, round after round, each until the file
// system refuses one: on a full drive a folder cannot grow, so they take
// exactly the entries it has free, and those are the entries of deleted files.
FillEnd TakeRounds(const char* folder) {
    size_t units = Utf16Length(folder) + 4; // and the long-path form's "\\?\"
    for (unsigned round = 0; round < kNameRounds; ++round) {
        unsigned length = NameLength(round);
        if (units + (length > kMaxTempNameLength ? length : kMaxTempNameLength) >= kLongestPath) {
            continue;
        }
        for (;;) {
            FillEnd end;
            Entry entry = TakeEntry(folder, length, kEmptyFile, &end);
            if (entry == kEntryEnds) {
                return end;
            }
            if (entry == kEntryTooLong && length == kEntryNameLength) {
                return kFillFolderFailed;
            }
            if (entry != kEntryTaken) {
                break; // the next, shorter names
            }
            ShowStepStatus(kStepNames, gWorker.folders, ++gWorker.entries);
            if (StopRequested()) {
                return kFillStopped;
            }
        }
    }
    return kFillComplete;
}

// exFAT puts a set in the first free run that holds it. After the rounds no
// run is longer than 2, but a set of 19 put into a run of 20 or 21 left 1
// or 2 entries that no set takes, and the pieces of a deleted name in them.
// Which set ends a run cannot be seen (a folder is not listed in the order
// of its entries under Wine), so each set of 19 of the folder is made again:
// a set of 3 at the start of the run it leaves, then the one set of 18, 17
// or 16 that fits the rest exactly. Where none fits, the file system does
// not keep names in sets (Wine names every drive NTFS: a file there may take
// an inode or a record, whatever its name), and *retile turns false.
FillEnd RetileLongestSets(const char* folder, FillFileNode* before, bool* retile) {
    size_t longest = strlen(folder) + NameLength(0);
    FillFileNode* previous = before;
    for (FillFileNode* node = before != nullptr ? before->Next : gWorker.fillListHead;
         node != nullptr && *retile;) {
        FillFileNode* next = node->Next;
        if (strlen(node->Name) != longest || !FileDelete(node->Name, false)) {
            previous = node; // made later, or one that stays: it is named with the rest at the end
            node = next;
            continue;
        }
        DropFillFileNode(previous, node); // gone: the deletion step need not look for it
        node = next;
        --gWorker.entries;
        static const unsigned kRounds[] = {kNameRounds - 1, 1, 2, 3};
        *retile = false;
        for (unsigned round : kRounds) {
            FillEnd end;
            Entry entry = TakeEntry(folder, NameLength(round), kEmptyFile, &end);
            if (entry == kEntryEnds) {
                return end;
            }
            gWorker.entries += entry == kEntryTaken ? 1 : 0;
            ShowStepStatus(kStepNames, gWorker.folders, gWorker.entries);
            if (StopRequested()) {
                return kFillStopped;
            }
            if (entry == kEntryTaken && round != kNameRounds - 1) {
                *retile = true;
                break;
            }
        }
    }
    return kFillComplete;
}

// The entries a folder's new files took reach the medium with one flush, the
// flush of the last of them: the file system writes the folder's entries with
// it (Linux's FAT driver in the tests' VM writes all of its metadata), and a
// cut in the power after the step finds the old names overwritten. One flush
// per file cost a write of the folder's sectors per file.
FillEnd FlushFolderEntries(FillFileNode* before, FillEnd end) {
    if (gWorker.fillListTail == before || end != kFillComplete) {
        return end; // after a stop or a failure nothing is promised
    }
    return FlushFillFile(gWorker.fillListTail->Name) ? end : FailFlush(gWorker.fillListTail->Name);
}

// The rounds in folder and, where names are kept in sets of entries, the
// sets of 19 made again; then the folder's flush.
FillEnd FillFolderEntries(const char* folder, bool* retile) {
    FillFileNode* before = gWorker.fillListTail;
    ShowStepStatus(kStepNames, ++gWorker.folders, gWorker.entries);
    FillEnd end = TakeRounds(folder);
    if (end == kFillComplete && *retile) {
        end = RetileLongestSets(folder, before, retile);
    }
    return FolderEnd(folder, FlushFolderEntries(before, end));
}

// The names of one folder running out, or one folder failing, stops no other.
bool GoesOn(FillEnd end) {
    return end == kFillComplete || end == kFillFolderFailed;
}

// The root's fill files, whose sets were put into its free runs while it
// still had some.
bool IsRootFillFile(const FillFileNode* node) {
    return node->Kind == kFillFileKind && strchr(node->Name + 3, '\\') == nullptr;
}

// A small file of the names step whose set took its run whole: any but a
// set of 19, which may have gone into a longer run. Null for none.
FillFileNode* WholeRunFile(FillFileNode** previous) {
    *previous = nullptr;
    for (FillFileNode* node = gWorker.fillListHead; node != nullptr; *previous = node, node = node->Next) {
        if (node->Kind == kSmallFileKind && strlen(strrchr(node->Name, '\\') + 1) < NameLength(0)) {
            return node;
        }
    }
    return nullptr;
}

// The root's fill files, the empty ones deleted (null when none holds data);
// *largest the one that holds most, *bytes its size.
FillEnd LookAtRootFillFiles(FillFileNode** largest, long long* bytes) {
    *largest = nullptr, *bytes = 0;
    FillFileNode* previous = nullptr;
    for (FillFileNode *node = gWorker.fillListHead, *next; node != nullptr; node = next) {
        next = node->Next;
        if (!IsRootFillFile(node)) {
            previous = node;
            continue;
        }
        HANDLE file = FileOpen(node->Name, "r");
        long long held = file != nullptr ? FileSeekPos(file, FILE_END, 0) : -1;
        if (file != nullptr) {
            FileClose(file);
        }
        if (held < 0 && FileExists(node->Name)) {
            return FailPath("Error opening file [%s]", node->Name);
        }
        if (held <= 0) { // empty, or gone
            if (!DeleteFillFileNow(previous, node)) {
                return kFillFailed; // named
            }
            continue;
        }
        *largest = held > *bytes ? node : *largest;
        *bytes = held > *bytes ? held : *bytes;
        previous = node;
    }
    return kFillComplete;
}

// One folder of the run's own in the run that a small file of the names step
// gives back, whose set took it whole; the cluster it needs given back by
// the largest fill file, which then takes again what is left of it. *holder
// null when there is no such small file.
FillEnd MakeHolder(FillFileNode* largest, long long bytes, FillFileNode** holder) {
    FillFileNode* before;
    FillFileNode* run = WholeRunFile(&before);
    *holder = nullptr;
    if (run == nullptr) {
        return kFillComplete;
    }
    static char folder[kMaxPathBytes];
    size_t folderLength = static_cast<size_t>(strrchr(run->Name, '\\') - run->Name) + 1;
    lstrcpynA(folder, run->Name, static_cast<int>(folderLength + 1));
    unsigned length = static_cast<unsigned>(strlen(run->Name) - folderLength);
    if (!DeleteFillFileNow(before, run)) {
        return kFillFailed; // named
    }
    unsigned long long cluster = QueryClusterBytes(gWorker.rootPath);
    long long give = static_cast<long long>(cluster > kMinHolderBytes ? cluster : +kMinHolderBytes);
    HANDLE file = FileOpen(largest->Name, "r+");
    bool cut = file != nullptr && FileTruncate(file, bytes > give ? bytes - give : 0) == 0;
    if (file != nullptr) {
        FileClose(file);
    }
    if (!cut) {
        return FailFlush(largest->Name);
    }
    Start made = StartFillFile(folder, length, false, true);
    DWORD error = GetLastError();
    *holder = made.how == kStarted ? gWorker.fillListTail : nullptr;
    if (*holder != nullptr) {
        (*holder)->Kind = kHolderKind;
    }
    FillEnd end = WriteOnto(largest);
    if (end == kFillComplete && made.how != kStarted) {
        end = made.how != kRefused ? FailToStart(made)
              : ClassifyRefusal(error) == kFolderNotFound && !DriveIsThere()
                  ? FailDriveGone()
                  : FolderEnd(folder, kFillFolderFailed);
    }
    return end;
}

// The root's fill files with data moved into holder, as many as it takes;
// *moved counts them.
FillEnd MoveFillFiles(const FillFileNode* holder, unsigned* moved) {
    static char path[kMaxPathBytes + kMaxPaddedLength];
    *moved = 0;
    for (FillFileNode* node = gWorker.fillListHead; node != nullptr; node = node->Next) {
        if (!IsRootFillFile(node)) {
            continue;
        }
        int length = snprintf(path, sizeof path, "%s%s", holder->Name, node->Name + 3);
        char* name = static_cast<char*>(malloc(length + 1));
        if (name == nullptr) {
            return Fail("Out of memory");
        }
        if (!FileMove(node->Name, path)) {
            CreateRefusal why = ClassifyRefusal(GetLastError());
            free(name);
            if (why == kFolderFull) {
                return kFillComplete; // the holder is full: the rest go into another
            }
            return why == kFolderNotFound && !DriveIsThere() ? FailDriveGone()
                                                             : FolderEnd(gWorker.rootPath, kFillFolderFailed);
        }
        free(node->Name);
        node->Name = static_cast<char*>(memcpy(name, path, length + 1)); // where the file is now
        ++*moved;
    }
    return kFillComplete;
}

// exFAT puts a set of entries into the first free run that holds it, and the
// root's fill files were made while the root still had free runs: a fill
// file's set of 3 put into a run of 4 or 5 left 1 or 2 entries beside it
// that no set fits, holding pieces of a deleted name. A fill file cannot go
// while the drive is to stay full, but it can move, into a folder of the
// run's own (MakeHolder) that takes no entry a deleted name held; an empty
// fill file holds no cluster and just goes. The runs that the fill files
// leave in the root, with what lay beside them, are then taken as the names
// step takes any.
FillEnd TakeEntriesBesideFillFiles() {
    for (;;) {
        FillFileNode *largest, *holder;
        long long bytes;
        unsigned moved = 0;
        FillEnd end = LookAtRootFillFiles(&largest, &bytes);
        if (end == kFillComplete && largest != nullptr) {
            end = MakeHolder(largest, bytes, &holder);
            end =
                end != kFillComplete ? end
                : holder == nullptr
                    ? FailPath("Cannot reach the entries beside the fill files in folder [%s]: they may keep "
                               "pieces of deleted names",
                               gWorker.rootPath)
                    : MoveFillFiles(holder, &moved);
            end = end != kFillComplete || moved != 0 ? end : FolderEnd(gWorker.rootPath, kFillFolderFailed);
        }
        if (end != kFillComplete) {
            return end;
        }
        if (largest == nullptr) {
            break;
        }
    }
    FillFileNode* before = gWorker.fillListTail;
    bool retile = true;
    FillEnd end = TakeRounds(gWorker.rootPath);
    if (end == kFillComplete) {
        end = RetileLongestSets(gWorker.rootPath, before, &retile);
    }
    return FolderEnd(gWorker.rootPath, FlushFolderEntries(before, end));
}

// Puts the subfolders of folder on the stack; reparse points are never
// followed: a junction or link on the drive may lead to another drive.
FillEnd PushSubfolders(FolderWalk* walk) {
    const char* folder = walk->current->Name;
    static char path[kMaxPathBytes + kMaxNameBytes];
    snprintf(path, sizeof path, "%s*", folder);
    FoundFile found;
    HANDLE find = FileFindFirst(path, &found);
    if (find == nullptr) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
            return kFillComplete; // an empty root
        }
        if (!DriveIsThere()) {
            return FailDriveGone();
        }
        return FolderEnd(folder,
                         ClassifyRefusal(error) == kFolderRefused ? kFillFolderRefused : kFillFolderFailed);
    }
    for (bool more = true; more && !walk->outOfMemory; more = FileFindNext(find, &found)) {
        WalkInto(walk, found, false); // the run's own folders hold only its files
    }
    FileFindClose(find);
    return walk->outOfMemory ? Fail("Out of memory") : kFillComplete;
}

} // namespace

// The root's index may be full once the drive is: it can grow only into free
// space. So the folder that takes the free records the root has no room for
// is made before the fill, named as the first fill file, padded; the fill
// then takes that name unpadded. Where it cannot be made, the fill tells why.
void MakeFolderForRecords() {
    if (!KeepsSmallFilesInItsFileTable(gWorker.fileSystem)) {
        return;
    }
    StartFillFile(gWorker.rootPath, kEntryNameLength, false,
                  true); // where it is not made, the fill tells why
    ResetTempNames();
}

// NTFS keeps the contents of a small file inside the file's record in its file
// table, and a deleted file's record is free for reuse but is not free space.
// Once the free clusters are full, small fill files of zeros take the free
// records: in the tree of folders under the folder made before the fill
// (MakeFolderForRecords), where no index is full, or in the root where that
// folder could not be made. The first small file tells whether the drive
// keeps its data in the record: Wine names every drive NTFS, and on tmpfs,
// where a folder needs no block, the tree would grow without end. The step
// comes before the names of deleted files, whose refusals could cost free
// records that still hold what they held.
FillEnd CleanFreeRecords() {
    if (!KeepsSmallFilesInItsFileTable(gWorker.fileSystem)) {
        return kFillComplete;
    }
    LogLine("Cleaning the free records of the file table on drive %s", gRunState.selectedDrive);
    // Neither the folder nor a fill file was made where the root's index was full on a full drive.
    FillFileNode* head = gWorker.fillListHead;
    FillFileNode* top = head != nullptr && head->Kind == kFolderKind ? head : nullptr;
    FillFileNode* last = gWorker.fillListTail;
    FillEnd end = TakeRecords(top != nullptr ? top->Name : gWorker.rootPath, top != nullptr ? 1 : -1);
    if (end == kFillComplete && top != nullptr && gWorker.records == 1) {
        end = GrowRecordsTree(top, last);
    }
    LogLine("%I64i free records of the file table were overwritten", gWorker.records);
    if (end == kFillComplete && top != nullptr && gWorker.records == 0) {
        // No data in a record: the folder goes before the names step, with
        // the entries it took from a free run of its folder (exFAT puts a
        // name where it fits, leaving the rest of the run to a deleted
        // name's pieces) and the block it took from the free space.
        gWorker.namesInSets = true;
        return TopUpFreedSpace();
    }
    if (end == kFillComplete && top != nullptr && last->Next != nullptr) {
        end = DeleteRecordsTree(last);
    }
    return end;
}

// Every folder of the drive, depth first, from a stack on the heap: the
// worker's own stack is small.
FillEnd CleanFolderEntries() {
    const char* fileSystem = gWorker.fileSystem;
    LogLine("Cleaning the names of deleted files on drive %s", gRunState.selectedDrive);
    // FAT's shortest names take one entry each: nothing is left between
    // them. Wine names every drive NTFS, exFAT among them.
    bool retile = strncmp(fileSystem, "FAT", 3) != 0;
    FolderWalk walk;
    WalkBegin(&walk, gWorker.rootPath);
    FillEnd end = walk.outOfMemory ? Fail("Out of memory") : kFillComplete;
    for (const char* folder; GoesOn(end) && (folder = WalkNext(&walk)) != nullptr;) {
        for (int step = 0; step < 2 && GoesOn(end); ++step) {
            FillEnd done = step == 0 ? FillFolderEntries(folder, &retile) : PushSubfolders(&walk);
            end = done != kFillComplete ? done : end;
        }
    }
    WalkEnd(&walk);
    if (end == kFillComplete && (strcmp(fileSystem, "exFAT") == 0 || gWorker.namesInSets)) {
        end = TakeEntriesBesideFillFiles();
    }
    LogLine("%I64i free entries of folders were overwritten", gWorker.entries);
    return end;
}
