// The free-space query of a drive, apart so that tests can simulate a drive.
#ifndef TESSARINE_ENGINE_FREE_SPACE_H
#define TESSARINE_ENGINE_FREE_SPACE_H

// rootPath is "X:\". Stores the bytes free for the calling user; false when
// the drive cannot be asked (no medium, no such drive).
bool QueryFreeBytes(const char* rootPath, unsigned long long* freeBytes);

#endif
