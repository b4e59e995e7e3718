// A thin file layer over Win32 handles, shaped like the standard stream
// calls but without buffering: every operation is one system call. The null
// handle means "no file"; INVALID_HANDLE_VALUE never leaves this layer.
#ifndef TESSARINE_ENGINE_FILE_ACCESS_H
#define TESSARINE_ENGINE_FILE_ACCESS_H

#include <windows.h>

// What a mode string ("r", "wb", "a+", ...) asks of CreateFileA.
struct OpenMode {
    DWORD access;
    DWORD disposition;
    bool append;
    bool truncate;
};
OpenMode ParseOpenMode(const char* mode);

HANDLE FileOpen(const char* name, const char* mode);
int FileClose(HANDLE file);
// Whole elements written or read; 0 when the call fails.
unsigned FileWrite(const void* buffer, unsigned size, unsigned count, HANDLE file);
unsigned FileRead(void* buffer, unsigned size, unsigned count, HANDLE file);
int FileSeek(HANDLE file, DWORD origin, long long distance);
long long FileSeekPos(HANDLE file, DWORD origin, long long distance);
long long FileTell(HANDLE file);
// Pushes the file's data to the medium; 0, or -1 on failure.
int FileFlush(HANDLE file);
// By full path; true when a file or directory of that name exists.
bool FileExists(const char* path);
// True when the file is gone: deleted, or never there (a fill file that
// could not be created, or a drive that is no longer there).
bool FileDelete(const char* path);

#endif
