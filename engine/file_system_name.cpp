// The drive's file-system name, the one query of the engine that a test build
// answers itself: Wine names every drive without a device "NTFS", exFAT
// among them, so the path Windows takes on an exFAT stick runs under Wine
// only in a build told the name (tests/seams/told_file_system.cpp).
#include "engine/free_space.h"

#include <windows.h>

void QueryFileSystemName(const char* rootPath, char* name, unsigned size) {
    if (!GetVolumeInformationA(rootPath, nullptr, 0, nullptr, nullptr, nullptr, name, size)) {
        name[0] = '\0';
    }
}
