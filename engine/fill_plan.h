// The arithmetic of the fill loop, as functions of values.
#ifndef TESSARINE_ENGINE_FILL_PLAN_H
#define TESSARINE_ENGINE_FILL_PLAN_H

enum : unsigned {
    kSectorSize = 512,
    kChunkSectors = 256,
    kWriteBufferSize = kSectorSize * kChunkSectors,
    kFileCapSectors = 0x3FFFFF,
    kChunkCutPoint = kFileCapSectors - kChunkSectors,
    // The least a job may write past its measured count (8 MiB): a drive that
    // takes zeros without filling up must still come to an end.
    kMinExtraSectors = 16384,
    // The zeros in each small fill file that overwrites a free record of
    // NTFS's file table: they must stay inside the record. With 1 KiB records
    // ntfs-3g keeps up to 640 bytes there for the longest fill-file name.
    kRecordFillBytes = 600,
};

// NTFS keeps the contents of small files in its file table, outside the free
// space: only there do free records need cleaning.
bool KeepsSmallFilesInItsFileTable(const char* fileSystemName);

// What the answer to a refused create says of the folder, on a full drive.
enum CreateRefusal {
    kFolderFull,       // it takes no other entry: its free entries are all taken
    kFolderRefused,    // it may not be written (access denied, write-protected)
    kNameTooLong,      // no room in the path for a name this long: a shorter one may do
    kFolderNotFound,   // the folder is gone, or the whole drive
    kRefusedOtherwise, // something else: nothing is known of its entries
};
CreateRefusal ClassifyRefusal(unsigned long error);

// Sectors that the next regular write asks for.
unsigned SectorsToAsk(long long remainingSectors, unsigned sectorsInFile);

// Sectors that the write after a re-measurement asks for: what is free, but
// never more than the write buffer holds.
unsigned RecoverySectors(long long freeSectors);

// Share written, 0 to 100. A drive with no whole sector free counts as done.
unsigned ProgressPercent(unsigned long long totalSectors, long long remainingSectors);

// The most a job that measured totalSectors may write: its count, and as
// much again (at least kMinExtraSectors) for the free space that the
// measurement missed.
unsigned long long WriteLimit(unsigned long long totalSectors);

// What the next write may cover: the rest of the measured count while there
// is one, then whatever the write limit still allows.
long long SectorsLeft(long long remainingSectors, unsigned long long writtenSectors,
                      unsigned long long writeLimit);

#endif
