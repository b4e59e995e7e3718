#include "engine/free_space.h"

#include <windows.h>

bool QueryFreeBytes(const char* rootPath, unsigned long long* freeBytes) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(rootPath, &available, nullptr, nullptr)) {
        return false;
    }
    *freeBytes = available.QuadPart;
    return true;
}

unsigned QuerySectorSize(const char* rootPath) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(rootPath, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return 0;
    }
    return bytesPerSector;
}
