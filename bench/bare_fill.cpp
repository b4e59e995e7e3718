// The bench's reference: the platform's own bare write loop. One file on the
// drive named by the argument, 128 KiB blocks of zeros written with WriteFile
// until the drive takes no more, flushed, closed and deleted. No measuring,
// no window, no steps after the fill. Prints the bytes written.
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '\0' || argv[1][1] != ':' || argv[1][2] != '\0') {
        fprintf(stderr, "usage: bare_fill X:\n");
        return 64;
    }
    static char block[128 * 1024];
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\bare_fill.tmp", argv[1]);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "bare_fill: cannot create %s\n", path);
        return 1;
    }
    long long total = 0;
    DWORD written = 0;
    while (WriteFile(file, block, sizeof block, &written, nullptr) && written != 0) {
        total += written;
    }
    bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    bool deleted = DeleteFileA(path) != 0;
    printf("%lld\n", total);
    return flushed && deleted ? 0 : 1;
}
