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

void QueryFileSystemName(const char* rootPath, char* name, unsigned size) {
    if (!GetVolumeInformationA(rootPath, nullptr, 0, nullptr, nullptr, nullptr, name, size)) {
        name[0] = '\0';
    }
}
