// What the files of the cleaning job share: the worker's own fields, how a
// step of the job ends, and the helpers that make fill files. Only the
// worker thread uses any of it.
#ifndef TESSARINE_ENGINE_JOB_H
#define TESSARINE_ENGINE_JOB_H

#include <windows.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"

// Room for the lines of a failure: two, or one with a path of the log's width.
enum : unsigned { kFailureBytes = 1024 };

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
    // Every sector this job wrote, and the most it may write.
    unsigned long long writtenSectors;
    unsigned long long writeLimit;
    // The line(s) that will tell why the run failed; empty while none did.
    char failure[kFailureBytes];
    // The names step's progress: folders begun, entries taken.
    unsigned long long folders;
    long long entries;
    // NTFS: free records taken.
    long long records;
    // A name may take a set of entries, put in the first free run that
    // holds it: exFAT, and a drive named NTFS that keeps no data in a record
    // (Wine names exFAT so).
    bool namesInSets;
    // The drive's file system, as Windows names it (Wine: "NTFS" for most).
    char fileSystem[32];
};

extern WorkerFields gWorker;

// How a step of the job ends. Only kFillComplete is a success: a
// measurement taken after a write that got nothing found no whole free
// sector. A failure's line is formatted where it is known (Fail).
enum FillEnd {
    kFillGoesOn, // not over: the fill file is open
    kFillComplete,
    kFillStopped,
    kFillFailed,        // its line held, or files or folders that stay named already
    kFillNoEntryName,   // a folder's free entries outnumber the names left: told with the folder
    kFillFolderFailed,  // a folder's free entries could not be written: told with the folder
    kFillFolderRefused, // a folder that may not be written: named, and passed over
};

// Formats into the shared message buffer and logs it.
void LogLine(const char* format, ...);

// The line that tells why the run failed, held for the end of the run, after
// the deletion's lines; a line held already is logged at once, so that no
// failure goes untold. Each returns kFillFailed.
FillEnd Fail(const char* format, ...);
FillEnd FailPath(const char* format, const char* path);
// The drive could not be measured: it is gone, or failing.
FillEnd FailDriveGone();
// A file whose zeros may not have reached the medium (a flush that failed).
FillEnd FailFlush(const char* path);
// Free space that no write takes.
FillEnd FailUnwritable(long long sectors);

// Closes the current fill file, flushed first unless told otherwise; false
// when the flush failed.
bool CloseFillFile(bool flush = true);

// How StartFillFile ends; path is the one tried (a static buffer, valid until
// the next call), and a refused create leaves its error in GetLastError.
enum Started { kStarted, kNoFreeName, kNoNode, kRefused };
struct Start {
    Started how;
    const char* path;
};

// Names the next fill file in folder ("e:\" or "e:\docs\"), nameLength
// characters long when that is longer than the plain name, opens it and,
// once it is made, puts it on the list; asFolder, makes it a folder of the
// run's own instead (nameLength given). Nothing is logged but "Creating file"
// (when announced).
Start StartFillFile(const char* folder, unsigned nameLength, bool announce, bool asFolder = false);

// The failure of a start that mattered, told with the path tried.
FillEnd FailToStart(const Start& start);

// Opens a closed fill file again and flushes it (the cache of a file outlives
// its handle); false when it cannot be opened or flushed.
bool FlushFillFile(const char* path);

// Takes node, deleted already, off the list; previous is the node before it
// (null for the first).
void DropFillFileNode(FillFileNode* previous, FillFileNode* node);

// Takes node off the list and deletes its file as the deletion step does,
// waiting for another program that holds it; a file that stays is named.
// False when it stays (or memory ran out).
bool DeleteFillFileNow(FillFileNode* previous, FillFileNode* node);

// The run's own folders and small files deleted while the fill files keep
// the drive full, and what they gave back of the free space written with
// zeros by the last fill file, flushed.
FillEnd TopUpFreedSpace();

// Zeros written onto the end of node's fill file until the drive is full
// again, flushed (with any fill file begun besides): what the run gave back
// of the free space taken again.
FillEnd WriteOnto(FillFileNode* node);

// Before the fill, on NTFS: the run's own folder for the free records that
// the root's index will have no room for.
void MakeFolderForRecords();

// After a complete fill, on a drive that keeps small files in its file
// table: its free records, taken by small files of zeros.
FillEnd CleanFreeRecords();

// Then the free entries of every folder, where the names of deleted files lie.
FillEnd CleanFolderEntries();

#endif
