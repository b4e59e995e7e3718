#include "engine/fill_plan.h"

#include <string.h>

#include <windows.h>

CreateRefusal ClassifyRefusal(unsigned long error) {
    switch (error) {
    case ERROR_DISK_FULL:        // ENOSPC through Wine; Windows on a full volume
    case ERROR_HANDLE_DISK_FULL: // the same, from some drivers
    case ERROR_CANNOT_MAKE:      // Windows: the fixed root folder of FAT12/16 is full
        return kFolderFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return kFolderRefused;
    case ERROR_FILENAME_EXCED_RANGE:
        return kNameTooLong;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return kFolderNotFound;
    default:
        return kRefusedOtherwise;
    }
}

unsigned SectorsToAsk(long long remainingSectors, unsigned sectorsInFile) {
    if (remainingSectors < kChunkSectors) {
        // The last, short request is not held to the file cap.
        return remainingSectors > 0 ? static_cast<unsigned>(remainingSectors) : 0;
    }
    if (sectorsInFile < kChunkCutPoint) {
        return kChunkSectors;
    }
    return kFileCapSectors - sectorsInFile;
}

unsigned RecoverySectors(long long freeSectors) {
    if (freeSectors <= 0) {
        return 0;
    }
    return freeSectors < kChunkSectors ? static_cast<unsigned>(freeSectors) : kChunkSectors;
}

unsigned ProgressPercent(unsigned long long totalSectors, long long remainingSectors) {
    if (totalSectors == 0) {
        return 100;
    }
    long long total = static_cast<long long>(totalSectors);
    long long percent = (total - remainingSectors) * 100 / total;
    // A drive that frees space during the run can push the count past the start.
    if (percent < 0) {
        return 0;
    }
    return percent > 100 ? 100 : static_cast<unsigned>(percent);
}

unsigned long long WriteLimit(unsigned long long totalSectors) {
    unsigned long long extra = kMinExtraSectors;
    return totalSectors + (totalSectors > extra ? totalSectors : extra);
}

long long SectorsLeft(long long remainingSectors, unsigned long long writtenSectors,
                      unsigned long long writeLimit) {
    long long allowed = writtenSectors < writeLimit ? static_cast<long long>(writeLimit - writtenSectors) : 0;
    return remainingSectors > 0 && remainingSectors < allowed ? remainingSectors : allowed;
}

bool KeepsSmallFilesInItsFileTable(const char* fileSystemName) {
    return strcmp(fileSystemName, "NTFS") == 0;
}
