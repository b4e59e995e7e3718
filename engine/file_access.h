// A thin file layer over Win32 handles, shaped like the standard stream
// calls but without buffering: every operation is one system call. The null
// handle means "no file"; INVALID_HANDLE_VALUE never leaves this layer.
//
// Paths are UTF-8 (plain ASCII for the fill files in the root). The layer
// hands Windows their wide form, and a full path ("E:\...") in the long-path
// form ("\\?\E:\..."), so that no script and no depth is out of reach.
#ifndef TESSARINE_ENGINE_FILE_ACCESS_H
#define TESSARINE_ENGINE_FILE_ACCESS_H

#include <windows.h>

// What a mode string ("r", "wb", "a+", ...; "wbx" a new file only) asks of
// CreateFileA.
struct OpenMode {
    DWORD access;
    DWORD disposition;
    bool append;
    bool truncate;
};
OpenMode ParseOpenMode(const char* mode);

// The most a path or a name takes in UTF-8: Windows allows 32,767 UTF-16
// units a path and 255 a name, and a unit takes at most 3 bytes.
enum : unsigned { kMaxPathBytes = 32767 * 3 + 1, kMaxNameBytes = 255 * 3 + 1 };

// The wide form that the layer hands Windows, on the heap (free it); null,
// with the error set, when path is no valid UTF-8 or memory runs out.
wchar_t* WidePath(const char* path);

// An open that another program's handle refuses (a sharing violation: a
// scanner reading the file just written) is tried again for up to
// kSharingWaitMs before it fails.
enum : DWORD { kSharingWaitMs = 2000 };
HANDLE FileOpen(const char* name, const char* mode);
// An existing file opened for reading from the medium, past the cache
// (FILE_FLAG_NO_BUFFERING): reads must start and end on whole sectors, into a
// buffer that does too. Others may go on reading and writing it.
HANDLE FileOpenUnbuffered(const char* name);
int FileClose(HANDLE file);
// Whole elements written or read; 0 when the call fails.
unsigned FileWrite(const void* buffer, unsigned size, unsigned count, HANDLE file);
unsigned FileRead(void* buffer, unsigned size, unsigned count, HANDLE file);
int FileSeek(HANDLE file, DWORD origin, long long distance);
long long FileSeekPos(HANDLE file, DWORD origin, long long distance);
long long FileTell(HANDLE file);
// Pushes the file's data to the medium; 0, or -1 on failure.
int FileFlush(HANDLE file);
// Cuts the file to size bytes, its position there; 0, or -1 on failure.
int FileTruncate(HANDLE file, long long size);
// By full path; true when a file or directory of that name exists.
bool FileExists(const char* path);
// Opened for reading by this process alone; null when it cannot be had so,
// as when another program holds it open.
HANDLE FileOpenAlone(const char* name);

// The entries of a folder that match a pattern ("e:\\_*"), one at a time.
struct FoundFile {
    char name[kMaxNameBytes]; // without the folder
    bool folder;
    bool reparse; // a junction or a link: it may lead off the drive
    unsigned long long size;
};
// Null when nothing matches, or the folder cannot be read (GetLastError
// tells which).
HANDLE FileFindFirst(const char* pattern, FoundFile* found);
bool FileFindNext(HANDLE find, FoundFile* found);
void FileFindClose(HANDLE find);

// True when the file is gone: deleted, or never there (a fill file that
// could not be created). A drive that cannot be asked, or is no longer
// there, keeps its files. A file that may be large is emptied first. taken,
// when given, tells whether the deletion may yet be carried out (see
// FileRemove).
bool FileDelete(const char* path, bool large = true, bool* taken = nullptr);
// A new folder (path may end in a backslash); false, with the error set,
// when it is not made.
bool FolderMake(const char* path);
// True when the folder is gone; only an empty folder is deleted. A sharing
// violation is waited out as for an open.
bool FolderDelete(const char* path);
// A closed file moved to newPath (another folder of its drive, a name that
// is free there); false, with the error set, when it stays where it was. A
// sharing violation is waited out as for an open.
bool FileMove(const char* path, const char* newPath);
// The deletion alone: whether the file is gone is for the caller to prove
// (DeleteFillFiles lists the folder once for a run of files). True when
// Windows took it, or another program's handle refused it for now: a file
// that another program holds open (an on-access scanner, an indexer) stays
// listed until that program lets go ("delete pending").
bool FileRemove(const char* path);
// Once a drive is gone, every path of it is "not found": that proves
// nothing. False when the root of path's drive ("e:\\") is not there.
bool DriveOfPathIsThere(const char* path);

#endif
