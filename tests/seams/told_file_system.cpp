// The scenarios' build of Tessarine: its file-system name query answers the
// name in TESSARINE_TOLD_FILE_SYSTEM ("exFAT"), so that a real exFAT driver
// under Wine, which names it "NTFS", meets the path that Windows takes on an
// exFAT stick. Never in the shipped program: the release has the real query.
#include "engine/free_space.h"

#include <windows.h>

void QueryFileSystemName(const char* rootPath, char* name, unsigned size) {
    char told[32];
    DWORD length = GetEnvironmentVariableA("TESSARINE_TOLD_FILE_SYSTEM", told, sizeof told);
    if (length != 0 && length < sizeof told) {
        lstrcpynA(name, told, static_cast<int>(size));
    } else if (!GetVolumeInformationA(rootPath, nullptr, 0, nullptr, nullptr, nullptr, name, size)) {
        name[0] = '\0';
    }
}
