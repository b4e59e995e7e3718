// An on-access scanner, as antivirus programs, indexers and thumbnailers run
// on Windows: each file that appears or changes on a drive is opened for
// reading (sharing everything, as they do), read, and held for a while. A
// file deleted meanwhile stays listed until it is let go ("delete pending").
//
//   scanner DRIVE HOLD_MS [LONG_MS FOLDER]
//
// holds each new or changed file HOLD_MS; the first one that appears in
// FOLDER (a name in the root, "many") LONG_MS instead. The files on the drive
// at the start are left alone. Prints "held PATH MS" for each, until killed.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

#include <map>
#include <iterator>
#include <string>
#include <utility>

namespace {

// Each file's size and time of its last write, by path.
using Seen = std::map<std::wstring, std::pair<unsigned long long, unsigned long long>>;

void Walk(const std::wstring& folder, Seen* files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &data)) {
        std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            (*files)[folder + name] = {
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime};
        } else if (name != L"." && name != L".." &&
                   (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            Walk(folder + name + L"\\", files);
        }
    }
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: scanner DRIVE HOLD_MS [LONG_MS FOLDER]\n");
        return 2;
    }
    std::wstring root = std::wstring(L"\\\\?\\") + argv[1][0] + L":\\";
    DWORD hold = static_cast<DWORD>(_wtoi(argv[2]));
    DWORD longHold = argc > 4 ? static_cast<DWORD>(_wtoi(argv[3])) : 0;
    std::wstring longFolder = argc > 4 ? root + argv[4] + L"\\" : L"";
    Seen known;
    Walk(root, &known);
    std::map<std::wstring, std::pair<HANDLE, DWORD>> holds; // the handle, and when it is let go
    for (;; Sleep(20)) {
        DWORD now = GetTickCount();
        for (auto it = holds.begin(); it != holds.end();) {
            bool over = static_cast<int>(now - it->second.second) >= 0;
            if (over) {
                CloseHandle(it->second.first);
            }
            it = over ? holds.erase(it) : std::next(it);
        }
        Seen files;
        Walk(root, &files);
        for (const auto& file : files) {
            auto before = known.find(file.first);
            if (holds.count(file.first) != 0 || (before != known.end() && before->second == file.second)) {
                continue;
            }
            HANDLE handle = CreateFileW(file.first.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                continue; // gone already, or not to be had: looked at again next time
            }
            static char buffer[65536];
            DWORD read;
            ReadFile(handle, buffer, sizeof buffer, &read, nullptr);
            bool isLong = longHold != 0 && file.first.compare(0, longFolder.size(), longFolder) == 0 &&
                          file.first.find(L'\\', longFolder.size()) == std::wstring::npos;
            DWORD ms = isLong ? longHold : hold;
            longHold = isLong ? 0 : longHold;
            holds[file.first] = {handle, now + ms};
            printf("held %ls %lu\n", file.first.c_str() + 4, static_cast<unsigned long>(ms));
            fflush(stdout);
            known[file.first] = file.second;
        }
    }
}
