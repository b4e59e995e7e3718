// What the engine asks of a drive besides its files, apart so that tests can
// simulate a drive.
#ifndef TESSARINE_ENGINE_FREE_SPACE_H
#define TESSARINE_ENGINE_FREE_SPACE_H

// rootPath is "X:\". Stores the bytes free for the calling user; false when
// the drive cannot be asked (no medium, no such drive).
bool QueryFreeBytes(const char* rootPath, unsigned long long* freeBytes);

// The name of the drive's file system ("NTFS", "FAT32", ...); empty when it
// cannot be had.
void QueryFileSystemName(const char* rootPath, char* name, unsigned size);

// The drive's sector size in bytes; 0 when it cannot be had.
unsigned QuerySectorSize(const char* rootPath);

// The drive's cluster, the least a file or folder takes of the free space,
// in bytes; 0 when it cannot be had.
unsigned long long QueryClusterBytes(const char* rootPath);

#endif
