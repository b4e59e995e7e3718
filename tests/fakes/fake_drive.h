// A simulated drive for the fill-loop tests, linked in place of the real
// file layer and free-space query. It records every write request and can
// misbehave in the ways real drives do. The log and the gauge record too.
#ifndef TESSARINE_TESTS_FAKE_DRIVE_H
#define TESSARINE_TESTS_FAKE_DRIVE_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct FakeFile {
    unsigned long long sectors = 0;
    bool open = false;
    bool flushed = false; // flushed since its last write, through any handle
    // Left on the drive before the run: its last byte is not zero, another
    // program has it open, it cannot be deleted.
    bool dataAtEnd = false, inUse = false, undeletable = false;
    size_t firstEntry = 0, setSize = 0; // its exFAT entries
    unsigned long long readBytes = 0;
    bool written = false;              // an empty file's entry is flushed with its folder's
    unsigned long long firstTaken = 0; // where its sectors begin in the drive's writes
    DWORD heldUntil = 0;               // a scanner holds it (the clock's time it lets go)...
    bool pending = false;              // ...and its deletion waits for that
};

// A folder of the drive ("E:\\docs\\"; the root is "E:\\"): on a full drive it
// cannot grow, and takes only as many new files as it has free entries.
struct FakeFolder {
    unsigned long long freeEntries = 0;
    bool fixed = false;   // FAT12's root: it never grows, whatever is free
    DWORD refuses = 0;    // the error every create gets
    bool reparse = false; // a link: no file may be made there
    // exFAT: the folder's entries, '.' free, 'k' kept; a name takes a set of
    // 2 + length/15 entries (rounded up) in the first free run that holds it,
    // and where none does, the folder grows by a cluster of free space.
    std::string entries;
    std::vector<bool> written;          // the entries a fill file has held
    long long ntfsRoom = -1;            // NTFS: the new names its index takes on a full drive (-1: any)
    unsigned long long sectors = 0;     // of the free space, taken when it was made...
    unsigned long long oldSectors = 0;  // ...and of those, the ones that held old contents
    size_t firstEntry = 0, setSize = 0; // its exFAT entries in its parent
};

struct FakeDrive {
    bool present = true;
    unsigned long long freeSectors = 0;
    // Free space reported but never given (file-system overhead), and free
    // space given but not reported (a measurement that rounds down).
    unsigned long long unwritableSectors = 0;
    unsigned long long hiddenSectors = 0;
    // A file system that allocates whole pages of this many sectors: a write
    // of a page or more takes whole pages only (0: any sector).
    unsigned pageSectors = 0;
    // Writes that fail once the file reaches this many sectors (0: none).
    unsigned long long fileGrowthLimit = 0;
    bool compresses = false; // takes every write, and its free space never shrinks
    int failFlushAt = -1;    // the n-th flush (1-based) fails
    // NTFS: every file takes a record of the file table, and a file of one
    // element of up to 640 bytes keeps its data there.
    const char* fileSystem = "FAT32";
    const char* reportedName = nullptr; // the name the drive is given, when not its own (Wine: "NTFS")
    unsigned long long freeRecords = 0;
    long long oldRecords = -1; // of the free records, those that still hold what they held (-1: all)
    // A new folder takes this many sectors of the free space; deleted, it
    // gives them back with what they held before (oldSectors): old contents,
    // unless a fill file gave them back first (zeroSectors). A new exFAT
    // folder has a cluster's entries.
    unsigned long long folderSectors = 0, oldSectors = 0, zeroSectors = 0;
    unsigned clusterSectors = 8;      // what an exFAT folder grows by
    unsigned long long givenBack = 0; // sectors a fill file gave back, cut short, to be written again
    int failOpenAt = -1;              // the n-th open (0-based) fails
    int vanishAtOpen = -1;            // the drive is pulled out at the n-th open (0-based)
    bool refusesDeletion = false;
    int stopAfterWrites = -1;        // sets the stop request after this many writes...
    int stopAtOpen = -1;             // ...or at the n-th open (0-based)
    int failWriteAt = -1;            // the n-th write (1-based) fails once
    int shrinkAfterWrites = -1;      // after this many writes another program takes...
    unsigned long long shrinkBy = 0; // ...this many free sectors
    DWORD clock = 0, msPerWrite = 0; // the worker's clock, and what each write takes
    std::map<std::string, FakeFile> files;
    std::map<std::string, FakeFolder> folders;
    std::vector<std::string> openOrder;
    std::vector<std::string> made; // files created, in turn
    std::vector<std::string> deleted;
    std::vector<unsigned> requests; // sector counts asked by each write
    int opens = 0;
    int writes = 0;
    int flushes = 0;
    unsigned long long taken = 0; // sectors written in all
    int unflushedDeletes = 0;     // files deleted with writes (or, empty, an entry) that were not flushed
    std::map<std::string, int>
        unflushedEntries;         // of the empty ones, by folder: a later flush there writes them
    int dirtyWrites = 0;          // writes of sectors that were not all zeros
    long long newFolderRoom = -1; // NTFS: the names a new folder's index takes
    // Worn flash: of the drive's writes (counted in sectors, in order), those
    // from lostFrom to lostTo are acknowledged and never kept, and a read
    // from the medium gives back old contents there; a read from the cache
    // gives the zeros written.
    unsigned long long lostFrom = 0, lostTo = 0;
    int failReadAt = -1; // the n-th read from the medium (1-based) fails
    int mediumReads = 0;
    unsigned sectorSize = 512;
    std::vector<bool> unbuffered; // by handle
    // An on-access scanner: each file made or written is held for holdMs
    // after its close (the holdLongAt-th closed file, 1-based, for
    // holdLongMs); a file deleted meanwhile stays listed until then.
    DWORD holdMs = 0, holdLongMs = 0;
    int holdLongAt = -1, closes = 0;
};

extern FakeDrive gFakeDrive;

extern std::vector<std::string> gLoggedLines;
struct StatusCall {
    std::string text;
    DWORD at;
};
extern std::vector<StatusCall> gStatusLines;
// What the run told its window and Windows: "begins", the fill's percent,
// "later", and "succeeded", "stopped" or "failed".
extern std::vector<std::string> gSignals;

#endif
