// The real file layer. Tests of the fill loop link a simulated drive in its
// place (and in place of free_space.cpp).
#include "engine/file_access.h"

#include <stdlib.h>
#include <string.h>

#include "engine/clock.h"

wchar_t* WidePath(const char* path) {
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (units == 0) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    // A full path: a drive letter, a colon, a backslash.
    bool full = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\';
    size_t prefix = full ? 4 : 0;
    wchar_t* wide = static_cast<wchar_t*>(malloc((prefix + units) * sizeof(wchar_t)));
    if (wide == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    memcpy(wide, L"\\\\?\\", prefix * sizeof(wchar_t));
    MultiByteToWideChar(CP_UTF8, 0, path, -1, wide + prefix, units);
    return wide;
}

namespace {

// Callers read GetLastError after the call that used wide.
void FreeKeepingError(wchar_t* wide) {
    DWORD error = GetLastError();
    free(wide);
    SetLastError(error);
}

// The long-path form takes a folder's name as it stands: no backslash after it.
wchar_t* WithoutTrailingSlash(wchar_t* wide) {
    size_t length = wcslen(wide);
    if (length > 7 && wide[length - 1] == L'\\') { // not a root, "\\?\E:\"
        wide[length - 1] = L'\0';
    }
    return wide;
}

// Whether a call refused by another program's handle is tried again: for up
// to kSharingWaitMs, in steps.
enum : DWORD { kSharingStepMs = 50 };
bool TryAgain(DWORD* waited) {
    if (GetLastError() != ERROR_SHARING_VIOLATION || *waited >= kSharingWaitMs) {
        return false;
    }
    PauseMilliseconds(kSharingStepMs);
    *waited += kSharingStepMs;
    return true;
}

// CreateFileW on the wide form of name; GetLastError tells why it failed.
// Patient, a sharing violation is waited out for a while.
HANDLE CreateByPath(const char* name, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags = FILE_ATTRIBUTE_NORMAL, bool patient = true) {
    wchar_t* wide = WidePath(name);
    if (wide == nullptr) {
        return nullptr;
    }
    HANDLE file;
    DWORD waited = 0;
    do {
        file = CreateFileW(wide, access, share, nullptr, disposition, flags, nullptr);
    } while (patient && file == INVALID_HANDLE_VALUE && TryAgain(&waited));
    FreeKeepingError(wide);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

DWORD AttributesOf(const char* path) {
    wchar_t* wide = WidePath(path);
    if (wide == nullptr) {
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = GetFileAttributesW(wide);
    FreeKeepingError(wide);
    return attributes;
}

// The calls' results are not enough: a deletion can be carried out only when
// the file is closed, and fail then unseen (Wine unlinks at the close). Only
// "no such file" proves it gone: a drive pulled out or not ready cannot be
// asked, and its file may well be there.
bool IsGone(const char* path) {
    if (AttributesOf(path) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && DriveOfPathIsThere(path);
}

} // namespace

OpenMode ParseOpenMode(const char* mode) {
    OpenMode result = {0, 0, false, false};
    bool read = strchr(mode, 'r') != nullptr;
    if (read) {
        result.access = GENERIC_READ;
        result.disposition = OPEN_EXISTING;
    }
    if (strchr(mode, 'w') != nullptr) {
        result.access |= GENERIC_WRITE;
        result.disposition |= OPEN_ALWAYS;
        result.append = false;
    }
    if (strchr(mode, 'a') != nullptr) {
        result.append = true;
        result.access |= GENERIC_WRITE;
        result.disposition |= OPEN_ALWAYS;
    }
    if (strchr(mode, '+') != nullptr) {
        result.access |= GENERIC_READ | GENERIC_WRITE;
        result.disposition |= read ? OPEN_EXISTING : OPEN_ALWAYS;
    }
    // C's "x": a new file only, which then needs no truncation.
    if (strchr(mode, 'x') != nullptr && strchr(mode, 'w') != nullptr && !read && !result.append) {
        result.disposition = CREATE_NEW;
    }
    result.truncate = !result.append && !read && result.disposition != CREATE_NEW;
    return result;
}

HANDLE FileOpen(const char* name, const char* mode) {
    OpenMode how = ParseOpenMode(mode);
    HANDLE file = CreateByPath(name, how.access, FILE_SHARE_READ | FILE_SHARE_WRITE, how.disposition);
    if (file == nullptr) {
        return nullptr;
    }
    if (how.append) {
        FileSeek(file, FILE_END, 0);
    } else if (how.truncate) {
        // OPEN_ALWAYS keeps an existing file's contents; "w" wants it empty.
        SetEndOfFile(file);
    }
    return file;
}

HANDLE FileOpenUnbuffered(const char* name) {
    return CreateByPath(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_FLAG_NO_BUFFERING);
}

int FileClose(HANDLE file) {
    return CloseHandle(file) ? 0 : -1;
}

unsigned FileWrite(const void* buffer, unsigned size, unsigned count, HANDLE file) {
    if (size == 0) {
        return 0;
    }
    DWORD written = 0;
    if (!WriteFile(file, buffer, size * count, &written, nullptr)) {
        return 0;
    }
    return written / size;
}

unsigned FileRead(void* buffer, unsigned size, unsigned count, HANDLE file) {
    if (size == 0) {
        return 0;
    }
    DWORD read = 0;
    if (!ReadFile(file, buffer, size * count, &read, nullptr)) {
        return 0;
    }
    return read / size;
}

long long FileSeekPos(HANDLE file, DWORD origin, long long distance) {
    LONG high = static_cast<LONG>(distance >> 32);
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, static_cast<LONG>(distance & 0xFFFFFFFF), &high, origin);
    // All bits set in the low part is a valid position unless an error is set.
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return -1;
    }
    return (static_cast<long long>(high) << 32) | low;
}

int FileSeek(HANDLE file, DWORD origin, long long distance) {
    return FileSeekPos(file, origin, distance) == -1 ? -1 : 0;
}

long long FileTell(HANDLE file) {
    return FileSeekPos(file, FILE_CURRENT, 0);
}

int FileFlush(HANDLE file) {
    return FlushFileBuffers(file) ? 0 : -1;
}

int FileTruncate(HANDLE file, long long size) {
    return FileSeek(file, FILE_BEGIN, size) == 0 && SetEndOfFile(file) ? 0 : -1;
}

HANDLE FileOpenAlone(const char* name) {
    return CreateByPath(name, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, false);
}

namespace {

void TakeFound(const WIN32_FIND_DATAW& data, FoundFile* found) {
    if (WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, found->name, sizeof found->name, nullptr,
                            nullptr) == 0) {
        found->name[0] = '\0';
    }
    found->folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found->reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    found->size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

HANDLE FileFindFirst(const char* pattern, FoundFile* found) {
    WIN32_FIND_DATAW data;
    wchar_t* wide = WidePath(pattern);
    if (wide == nullptr) {
        return nullptr;
    }
    HANDLE find = FindFirstFileW(wide, &data);
    FreeKeepingError(wide);
    if (find == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    TakeFound(data, found);
    return find;
}

bool FileFindNext(HANDLE find, FoundFile* found) {
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(find, &data)) {
        return false;
    }
    TakeFound(data, found);
    return true;
}

void FileFindClose(HANDLE find) {
    FindClose(find);
}

bool FileExists(const char* path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileRemove(const char* path) {
    wchar_t* wide = WidePath(path);
    if (wide == nullptr) {
        return false;
    }
    bool taken = DeleteFileW(wide) != 0 || GetLastError() == ERROR_SHARING_VIOLATION;
    free(wide);
    return taken;
}

bool FileDelete(const char* path, bool large, bool* taken) {
    // A large file is emptied before it goes, by this thread: Wine frees a
    // deleted file's clusters in its server, where a file of 2 GiB would hold
    // up every thread's calls (the window's too) for a tenth of a second.
    // Not through a handle that deletes on its close: through the Linux FAT
    // driver Wine then leaves the file where it is.
    HANDLE file = large ? CreateByPath(path, GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING)
                        : nullptr;
    if (file != nullptr) {
        SetEndOfFile(file);
        CloseHandle(file);
    }
    bool removed = FileRemove(path);
    if (taken != nullptr) {
        *taken = removed;
    }
    return IsGone(path);
}

bool FolderMake(const char* path) {
    wchar_t* wide = WidePath(path);
    if (wide == nullptr) {
        return false;
    }
    bool made = CreateDirectoryW(WithoutTrailingSlash(wide), nullptr) != 0;
    FreeKeepingError(wide);
    return made;
}

bool FolderDelete(const char* path) {
    wchar_t* wide = WidePath(path);
    if (wide == nullptr) {
        return false;
    }
    // A scanner or an indexer walking the folder holds it for a moment.
    for (DWORD waited = 0; !RemoveDirectoryW(WithoutTrailingSlash(wide)) && TryAgain(&waited);) {
    }
    free(wide);
    return IsGone(path);
}

bool FileMove(const char* path, const char* newPath) {
    wchar_t* from = WidePath(path);
    wchar_t* to = from != nullptr ? WidePath(newPath) : nullptr;
    bool moved = false;
    for (DWORD waited = 0; to != nullptr && !moved;) {
        moved = MoveFileExW(from, to, 0) != 0;
        if (!moved && !TryAgain(&waited)) {
            break;
        }
    }
    DWORD error = GetLastError();
    free(from);
    free(to);
    SetLastError(error);
    return moved;
}

bool DriveOfPathIsThere(const char* path) {
    if (path[0] == '\0' || path[1] != ':' || path[2] != '\\') {
        return true;
    }
    char root[4] = {path[0], ':', '\\', '\0'};
    return AttributesOf(root) != INVALID_FILE_ATTRIBUTES;
}
