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
// Opened for reading by this process alone; null when it cannot be had so,
// as when another program holds it open.
HANDLE FileOpenAlone(const char* name);

// The entries of a folder that match a pattern ("e:\\_*"), one at a time.
struct FoundFile {
    char name[MAX_PATH]; // without the folder
    bool folder;
    bool reparse; // a junction or a link: it may lead off the drive
    unsigned long long size;
};
// Null when nothing matches (or the folder cannot be read).
HANDLE FileFindFirst(const char* pattern, FoundFile* found);
bool FileFindNext(HANDLE find, FoundFile* found);
void FileFindClose(HANDLE find);

// True when the file is gone: deleted, or never there (a fill file that
// could not be created). A drive that cannot be asked keeps its files.
bool FileDelete(const char* path);

#endif
