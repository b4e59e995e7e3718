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

namespace {

unsigned long long Geometry(const char* rootPath, bool cluster) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(rootPath, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return 0;
    }
    return cluster ? static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector : bytesPerSector;
}

} // namespace

unsigned QuerySectorSize(const char* rootPath) {
    return static_cast<unsigned>(Geometry(rootPath, false));
}

unsigned long long QueryClusterBytes(const char* rootPath) {
    return Geometry(rootPath, true);
}
