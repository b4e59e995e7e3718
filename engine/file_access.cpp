// The real file layer. Tests of the fill loop link a simulated drive in its
// place (and in place of free_space.cpp).
#include "engine/file_access.h"

#include <string.h>

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
    result.truncate = !result.append && !read;
    return result;
}

HANDLE FileOpen(const char* name, const char* mode) {
    OpenMode how = ParseOpenMode(mode);
    HANDLE file = CreateFileA(name, how.access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, how.disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
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

HANDLE FileOpenAlone(const char* name) {
    HANDLE file = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

namespace {

void TakeFound(const WIN32_FIND_DATAA& data, FoundFile* found) {
    lstrcpynA(found->name, data.cFileName, sizeof found->name);
    found->folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    found->reparse = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    found->size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

HANDLE FileFindFirst(const char* pattern, FoundFile* found) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    TakeFound(data, found);
    return find;
}

bool FileFindNext(HANDLE find, FoundFile* found) {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(find, &data)) {
        return false;
    }
    TakeFound(data, found);
    return true;
}

void FileFindClose(HANDLE find) {
    FindClose(find);
}

bool FileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileDelete(const char* path) {
    // The file is emptied before it goes, by this thread: Wine frees a
    // deleted file's clusters in its server, where a file of 2 GiB would hold
    // up every thread's calls (the window's too) for a tenth of a second.
    // Not through a handle that deletes on its close: through the Linux FAT
    // driver Wine then leaves the file where it is.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        SetEndOfFile(file);
        CloseHandle(file);
    }
    DeleteFileA(path);
    // The calls' results are not enough: a deletion can be carried out only
    // when the file is closed, and fail then unseen (Wine unlinks at the
    // close). Only "no such file" proves it gone: a drive pulled out or not
    // ready cannot be asked, and its file may well be there.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
