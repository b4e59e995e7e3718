// What the files of the cleaning job share: the worker's own fields, how a
// step of the job ends, and the helpers that make fill files. Only the
// worker thread uses any of it.
#ifndef TESSARINE_ENGINE_JOB_H
#define TESSARINE_ENGINE_JOB_H

#include <windows.h>

#include "engine/file_access.h"
#include "engine/fill_files.h"

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
    FillFileNode* fillListBeforeTail; // so that a file never made can be forgotten
    char rootPath[4];
    // Every sector this job wrote, and the most it may write.
    unsigned long long writtenSectors;
    unsigned long long writeLimit;
    // The first folder whose free entries outnumbered the names left, and
    // the first whose entries could not be written.
    char namelessFolder[kMaxPathBytes];
    char failedFolder[kMaxPathBytes];
    // The names step's progress: folders begun, entries taken.
    unsigned long long folders;
    long long entries;
    // NTFS: free records taken.
    long long records;
    // A name may take a set of entries, put in the first free run that
    // holds it: exFAT, and a drive named NTFS that keeps no data in a record
    // (Wine names exFAT so).
    bool namesInSets;
};

extern WorkerFields gWorker;

// How a fill ends. Only kFillComplete is a success: a measurement taken after
// a write that got nothing found no whole free sector.
enum FillEnd {
    kFillGoesOn, // not over: the fill file is open
    kFillComplete,
    kFillStopped,
    kFillMeasureLost,     // the drive could not be measured again
    kFillUnwritable,      // the drive reports free sectors that no write takes
    kFillNoName,          // the next fill file had no name...
    kFillNoMemory,        // ...or no list node...
    kFillNotOpened,       // ...or could not be opened, while space was still free
    kFillFlushFailed,     // a fill file's zeros may not have reached the medium
    kFillNoRecordName,    // free records of the file table may be left: no name for them
    kFillNoEntryName,     // free entries of a folder may be left: no name for them
    kFillFolderFailed,    // a folder's free entries could not be written, for no known reason
    kFillFolderRefused,   // a folder that may not be written: named, and passed over
    kFillNotDeleted,      // files or folders of the run's own stay: named already
    kFillNotKept,         // the drive gave back other than the zeros written to it
    kFillNotRead,         // a fill file could not be read back
    kFillRootFull,        // free space, and no room in the root for a fill file
    kFillBesideUnreached, // no way for the fill files' sets to leave the entries beside them
};

// Formats into the shared message buffer and logs it.
void LogLine(const char* format, ...);

// Closes the current fill file, flushed first unless told otherwise; false
// when the flush failed.
bool CloseFillFile(bool flush = true);

// Names the next fill file in folder ("e:\" or "e:\docs\"), nameLength
// characters long when that is longer than the plain name, records it in the
// list and opens it; asFolder, makes it a folder of the run's own instead
// (nameLength given). Nothing is logged but "Creating file" (when announced).
FillEnd StartFillFile(const char* folder, unsigned nameLength, bool announce, bool asFolder = false);

// Opens a closed fill file again and flushes it (the cache of a file outlives
// its handle); false when it cannot be opened or flushed.
bool FlushFillFile(const char* path);

// Takes the file or folder that StartFillFile has just failed to make off
// the list.
void ForgetLastFillFile();

// Takes node, deleted already, off the list; previous is the node before it
// (null for the first).
void DropFillFileNode(FillFileNode* previous, FillFileNode* node);

// Takes node off the list and deletes its file as the deletion step does,
// waiting for another program that holds it; a file that stays is named.
// False when it stays (or memory ran out).
bool DeleteFillFileNow(FillFileNode* previous, FillFileNode* node);

// The run's own folders and small files deleted while the fill files keep
// the drive full, and what they gave back of the free space written with
// zeros by the last fill file, flushed; last gets the path of a file that
// could not be opened or flushed.
FillEnd TopUpFreedSpace(char* last, size_t size);

// Zeros written onto the end of node's fill file until the drive is full
// again, flushed (with any fill file begun besides): what the run gave back
// of the free space taken again. last gets the path of a file that could not
// be opened or flushed.
FillEnd WriteOnto(FillFileNode* node, char* last, size_t size);

// Before the fill, on NTFS: the run's own folder for the free records that
// the root's index will have no room for.
void MakeFolderForRecords();

// The steps after a complete fill: NTFS's free records, then the free
// entries of every folder. last gets the path of a fill file that could not
// be opened or flushed.
FillEnd CleanAfterFill(char* last, size_t size);

#endif
