// A drive of N free sectors behind the file layer's interface. Handles are
// indices into the open order, offset so that none is null.
#include "fake_drive.h"

#include <string.h>

#include <algorithm>

#include "engine/clock.h"
#include "engine/file_access.h"
#include "engine/free_space.h"
#include "frame/run_signals.h"
#include "frame/run_state.h"
#include "ui/message_log.h"

FakeDrive gFakeDrive;
std::vector<std::string> gLoggedLines;
std::vector<StatusCall> gStatusLines;
std::vector<std::string> gSignals;

void AddLogLine(const char* text) {
    gLoggedLines.push_back(text);
}

void ShowStatusLine(const char* text) {
    gStatusLines.push_back({text, gFakeDrive.clock});
}

void SignalRunBegins() {
    gSignals.push_back("begins");
}

void SignalFillProgress(unsigned percent) {
    gSignals.push_back(std::to_string(percent));
}

void SignalLaterSteps() {
    gSignals.push_back("later");
}

void SignalRunEnds(RunEnd end) {
    gSignals.push_back(end == kRunSucceeded ? "succeeded" : end == kRunStopped ? "stopped" : "failed");
}

DWORD ClockMilliseconds() {
    return gFakeDrive.clock;
}

namespace {

FakeFile* FileOf(HANDLE handle) {
    size_t index = reinterpret_cast<size_t>(handle) - 0x100;
    if (index >= gFakeDrive.openOrder.size()) {
        return nullptr;
    }
    return &gFakeDrive.files[gFakeDrive.openOrder[index]];
}

HANDLE NewHandle(const char* name) {
    gFakeDrive.openOrder.push_back(name);
    return reinterpret_cast<HANDLE>(gFakeDrive.openOrder.size() - 1 + 0x100);
}

// exFAT: where a name's set of entries goes in folder, the folder grown when
// no free run holds it and the drive has a cluster free; npos when it cannot.
size_t SetPlace(FakeFolder& folder, size_t set) {
    size_t at = folder.entries.find(std::string(set, '.'));
    if (at == std::string::npos && gFakeDrive.freeSectors >= gFakeDrive.clusterSectors) {
        gFakeDrive.freeSectors -= gFakeDrive.clusterSectors;
        folder.entries.append(gFakeDrive.clusterSectors * 512 / 32, '.');
        at = folder.entries.find(std::string(set, '.'));
    }
    return at;
}

// exFAT: a name's set of entries, taken in the folder.
void TakeSet(FakeFolder& folder, size_t at, size_t set) {
    folder.entries.replace(at, set, set, 'f');
    folder.written.resize(folder.entries.size());
    std::fill(folder.written.begin() + at, folder.written.begin() + at + set, true);
}

// exFAT: a name's set of entries given back to its folder.
void FreeSet(const std::string& folder, size_t at, size_t set) {
    if (set != 0) {
        gFakeDrive.folders[folder].entries.replace(at, set, set, '.');
    }
}

size_t SetSize(const std::string& name) {
    return 2 + (name.size() + 14) / 15;
}

bool Held(const FakeFile& file) {
    return static_cast<int>(file.heldUntil - gFakeDrive.clock) > 0;
}

bool Ntfs() {
    return strcmp(gFakeDrive.fileSystem, "NTFS") == 0;
}

// A new name in folder: on exFAT its set; elsewhere, on a full drive or in
// FAT12's root, one of the folder's free entries. 0, or a create's error.
DWORD TakeName(FakeFolder& folder, const std::string& name, size_t* at, size_t* set) {
    *set = folder.entries.empty() ? 0 : SetSize(name);
    *at = *set == 0 ? 0 : SetPlace(folder, *set);
    if (*at == std::string::npos) {
        return ERROR_DISK_FULL;
    }
    if (*set == 0 && !Ntfs() && (gFakeDrive.freeSectors == 0 || folder.fixed) && folder.freeEntries-- == 0) {
        folder.freeEntries = 0;
        return folder.fixed ? ERROR_CANNOT_MAKE : ERROR_DISK_FULL; // Windows' answer for FAT12's root
    }
    if (*set != 0) {
        TakeSet(folder, *at, *set);
    }
    return 0;
}

// A full index grows into free space, not into none.
bool IndexFull(const FakeFolder& folder) {
    return folder.ntfsRoom == 0 && gFakeDrive.freeSectors == 0;
}

long long& OldRecords() {
    if (gFakeDrive.oldRecords < 0) {
        gFakeDrive.oldRecords = static_cast<long long>(gFakeDrive.freeRecords);
    }
    return gFakeDrive.oldRecords;
}

// A new file or folder's record, an old one first, and its name in folder's index.
void TakeRecord(FakeFolder& folder) {
    --gFakeDrive.freeRecords;
    OldRecords() -= OldRecords() > 0 ? 1 : 0;
    folder.ntfsRoom -= folder.ntfsRoom > 0 ? 1 : 0;
}

void GiveRecord(FakeFolder& folder) {
    gFakeDrive.freeRecords += Ntfs() ? 1 : 0;
    folder.ntfsRoom += Ntfs() && folder.ntfsRoom >= 0 ? 1 : 0;
}

std::string ParentOf(const std::string& folder) {
    return folder.substr(0, folder.rfind('\\', folder.size() - 2) + 1);
}

} // namespace

bool QueryFreeBytes(const char*, unsigned long long* freeBytes) {
    if (!gFakeDrive.present) {
        return false;
    }
    unsigned long long reported = gFakeDrive.freeSectors + gFakeDrive.unwritableSectors;
    reported = reported > gFakeDrive.hiddenSectors ? reported - gFakeDrive.hiddenSectors : 0;
    *freeBytes = reported * 512;
    return true;
}

unsigned QuerySectorSize(const char*) {
    return gFakeDrive.sectorSize;
}

unsigned long long QueryClusterBytes(const char*) {
    return gFakeDrive.clusterSectors * 512ull;
}

int FileSeek(HANDLE handle, DWORD, long long distance) { // from the start
    FakeFile* file = FileOf(handle);
    return file != nullptr ? (file->readBytes = static_cast<unsigned long long>(distance), 0) : -1;
}

// An existing file opened for reading: past the cache (unbuffered), or by
// this process alone (refused while another program has it in use).
HANDLE OpenToRead(const char* name, bool unbuffered) {
    auto it = gFakeDrive.files.find(name);
    if (!gFakeDrive.present || it == gFakeDrive.files.end() || (!unbuffered && it->second.inUse)) {
        return nullptr;
    }
    it->second.open = true;
    it->second.flushed = it->second.flushed || !unbuffered; // nothing written
    it->second.readBytes = 0;
    HANDLE handle = NewHandle(name);
    gFakeDrive.unbuffered.resize(gFakeDrive.openOrder.size());
    gFakeDrive.unbuffered.back() = unbuffered;
    return handle;
}

HANDLE FileOpenUnbuffered(const char* name) {
    return OpenToRead(name, true);
}

void QueryFileSystemName(const char*, char* name, unsigned size) {
    const char* shown = gFakeDrive.reportedName != nullptr ? gFakeDrive.reportedName : gFakeDrive.fileSystem;
    lstrcpynA(name, shown, static_cast<int>(size));
}

long long FileSeekPos(HANDLE handle, DWORD, long long) { // to the end
    FakeFile* file = FileOf(handle);
    return file != nullptr ? static_cast<long long>(file->sectors * 512) : -1;
}

HANDLE FileOpen(const char* name, const char* mode) {
    int attempt = gFakeDrive.opens++;
    if (attempt == gFakeDrive.stopAtOpen) {
        gRunState.stopRequest.store(1);
    }
    gFakeDrive.present = gFakeDrive.present && attempt != gFakeDrive.vanishAtOpen;
    bool isNew = gFakeDrive.files.count(name) == 0 && gFakeDrive.folders.count(name + std::string("\\")) == 0,
         emptied = strchr(mode, 'w') != nullptr;
    if (!isNew && strchr(mode, 'x') != nullptr && gFakeDrive.present) {
        SetLastError(ERROR_FILE_EXISTS);
        return nullptr;
    }
    std::string path = name;
    FakeFolder& folder = gFakeDrive.folders[path.substr(0, path.rfind('\\') + 1)];
    if (attempt == gFakeDrive.failOpenAt || !gFakeDrive.present || (isNew && !emptied) ||
        (Ntfs() && isNew && (gFakeDrive.freeRecords == 0 || IndexFull(folder)))) {
        SetLastError(attempt == gFakeDrive.failOpenAt ? ERROR_GEN_FAILURE
                     : !gFakeDrive.present            ? ERROR_PATH_NOT_FOUND
                     : !emptied                       ? ERROR_FILE_NOT_FOUND
                                                      : ERROR_DISK_FULL);
        return nullptr;
    }
    if (Ntfs() && isNew) {
        TakeRecord(folder);
    }
    if (isNew && (folder.refuses != 0 || folder.reparse)) {
        SetLastError(folder.reparse ? ERROR_ACCESS_DENIED : folder.refuses);
        return nullptr;
    }
    size_t at = 0, set = 0;
    DWORD full = isNew ? TakeName(folder, path.substr(path.rfind('\\') + 1), &at, &set) : 0;
    if (full != 0) {
        SetLastError(full);
        return nullptr;
    }
    FakeFile& file = gFakeDrive.files[name];
    if (isNew) {
        gFakeDrive.made.push_back(name);
        file.firstEntry = at, file.setSize = set;
    }
    if (emptied) { // "w" empties an existing file
        gFakeDrive.freeSectors += file.sectors;
        file.sectors = 0;
    }
    file.open = true;
    return NewHandle(name);
}

HANDLE FileOpenAlone(const char* name) {
    return OpenToRead(name, false);
}

unsigned FileRead(void* buffer, unsigned size, unsigned count, HANDLE handle) {
    FakeFile* file = FileOf(handle);
    unsigned long long left = file->sectors * 512 - file->readBytes;
    unsigned got = static_cast<unsigned>(std::min<unsigned long long>(left, size * count));
    memset(buffer, 0, got);
    size_t index = reinterpret_cast<size_t>(handle) - 0x100;
    if (index < gFakeDrive.unbuffered.size() && gFakeDrive.unbuffered[index]) {
        if (++gFakeDrive.mediumReads == gFakeDrive.failReadAt) {
            return 0;
        }
        unsigned long long first = file->firstTaken + file->readBytes / 512, end = first + got / 512;
        if (first < gFakeDrive.lostTo && end > gFakeDrive.lostFrom) {
            memset(buffer, 0x5a, got); // what the cells held before
        }
    }
    file->readBytes += got;
    if (file->dataAtEnd && got != 0 && file->readBytes == file->sectors * 512) {
        static_cast<char*>(buffer)[got - 1] = 1;
    }
    return got / size;
}

// A folder's entries as they were at the first call.
std::vector<FoundFile> gListing;
size_t gListed;

bool FileFindNext(HANDLE, FoundFile* found) {
    if (gListed == gListing.size()) {
        return false;
    }
    *found = gListing[gListed++];
    return true;
}

HANDLE FileFindFirst(const char* pattern, FoundFile* found) {
    std::string folder = pattern, prefix = folder.substr(folder.rfind('\\') + 1);
    folder.resize(folder.size() - prefix.size());
    prefix.pop_back(); // the "*"
    auto in = [&](const std::string& path) {
        return path.size() > folder.size() && path.rfind(folder + prefix, 0) == 0 &&
               path.find('\\', folder.size()) >= path.size() - 1;
    };
    gListing.clear();
    gListed = 0;
    if (!gFakeDrive.present) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    for (const auto& file : gFakeDrive.files) {
        if (in(file.first)) {
            gListing.push_back({"", false, false, file.second.sectors * 512});
            lstrcpynA(gListing.back().name, file.first.c_str() + folder.size(), kMaxNameBytes);
        }
    }
    for (const auto& sub : gFakeDrive.folders) {
        if (in(sub.first)) {
            gListing.push_back({"", true, sub.second.reparse, 0});
            lstrcpynA(gListing.back().name,
                      sub.first.substr(folder.size(), sub.first.size() - folder.size() - 1).c_str(),
                      kMaxNameBytes);
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FileFindNext(nullptr, found) ? reinterpret_cast<HANDLE>(1) : nullptr;
}

void FileFindClose(HANDLE) {}

int FileClose(HANDLE handle) {
    FakeFile* file = FileOf(handle);
    if (file == nullptr || !file->open) {
        return -1;
    }
    file->open = false;
    int close = ++gFakeDrive.closes;
    if (gFakeDrive.holdMs != 0 && !Held(*file)) {
        file->heldUntil =
            gFakeDrive.clock + (close == gFakeDrive.holdLongAt ? gFakeDrive.holdLongMs : gFakeDrive.holdMs);
    }
    return 0;
}

int FileFlush(HANDLE handle) {
    FakeFile* file = FileOf(handle);
    if (file == nullptr || !file->open || ++gFakeDrive.flushes == gFakeDrive.failFlushAt) {
        return -1;
    }
    file->flushed = true;
    // The flush of a file writes its folder's entries: the empty files there
    // are on the medium too.
    std::string name = gFakeDrive.openOrder[reinterpret_cast<size_t>(handle) - 0x100];
    std::string folder = name.substr(0, name.rfind('\\') + 1);
    gFakeDrive.unflushedDeletes -= gFakeDrive.unflushedEntries[folder];
    gFakeDrive.unflushedEntries[folder] = 0;
    for (auto& other : gFakeDrive.files) {
        if (!other.second.written && other.first.rfind(folder, 0) == 0 &&
            other.first.find('\\', folder.size()) == std::string::npos) {
            other.second.flushed = true;
        }
    }
    return 0;
}

unsigned FileWrite(const void* buffer, unsigned size, unsigned count, HANDLE handle) {
    gFakeDrive.requests.push_back(count);
    gFakeDrive.clock += gFakeDrive.msPerWrite;
    const char* bytes = static_cast<const char*>(buffer);
    gFakeDrive.dirtyWrites += std::any_of(bytes, bytes + size * count, [](char b) { return b != 0; }) ? 1 : 0;
    int write = ++gFakeDrive.writes;
    if (write == gFakeDrive.stopAfterWrites) {
        gRunState.stopRequest.store(1);
    }
    if (write == gFakeDrive.failWriteAt) {
        return 0;
    }
    if (write == gFakeDrive.shrinkAfterWrites + 1) {
        gFakeDrive.freeSectors -= gFakeDrive.shrinkBy;
    }
    FakeFile* file = FileOf(handle);
    if (file != nullptr && file->open && Ntfs() && size != 512 && size <= 640 && count == 1 &&
        file->sectors == 0) {
        file->flushed = false, file->written = true;
        return 1; // kept in the file's record
    }
    if (file == nullptr || !file->open || size != 512 || count > 256) {
        return 0;
    }
    unsigned long long room = gFakeDrive.freeSectors, limit = gFakeDrive.fileGrowthLimit;
    if (limit != 0) {
        room = std::min(room, file->sectors < limit ? limit - file->sectors : 0);
    }
    unsigned written = static_cast<unsigned>(std::min<unsigned long long>(count, room));
    if (gFakeDrive.pageSectors != 0 && count >= gFakeDrive.pageSectors) {
        written -= written % gFakeDrive.pageSectors;
    }
    if (written == 0) {
        return 0; // a full drive fails the write
    }
    file->firstTaken = file->sectors == 0 ? gFakeDrive.taken : file->firstTaken;
    file->sectors += written;
    gFakeDrive.oldSectors -= std::min<unsigned long long>(gFakeDrive.oldSectors, written);
    gFakeDrive.zeroSectors -= std::min<unsigned long long>(gFakeDrive.zeroSectors, written);
    file->flushed = false, file->written = true;
    gFakeDrive.freeSectors -= gFakeDrive.compresses ? 0 : written;
    gFakeDrive.taken += written;
    return written;
}

bool FileExists(const char* path) {
    return gFakeDrive.files.count(path) != 0;
}

bool DriveOfPathIsThere(const char*) {
    return gFakeDrive.present;
}

namespace {

// What the deletion of a file gives back.
void Erase(std::map<std::string, FakeFile>::iterator it) {
    std::string folder = it->first.substr(0, it->first.rfind('\\') + 1);
    FreeSet(folder, it->second.firstEntry, it->second.setSize);
    gFakeDrive.unflushedDeletes += it->second.flushed ? 0 : 1;
    gFakeDrive.unflushedEntries[folder] += it->second.flushed || it->second.written ? 0 : 1;
    GiveRecord(gFakeDrive.folders[folder]);
    gFakeDrive.folders[folder].freeEntries += Ntfs() ? 0 : 1; // an inode, or an entry of FAT's
    gFakeDrive.freeSectors += gFakeDrive.compresses ? 0 : it->second.sectors;
    gFakeDrive.files.erase(it);
}

} // namespace

void PauseMilliseconds(DWORD ms) {
    gFakeDrive.clock += ms;
    for (auto it = gFakeDrive.files.begin(); it != gFakeDrive.files.end();) {
        auto next = std::next(it);
        if (it->second.pending && !Held(it->second)) {
            Erase(it); // the scanner let go
        }
        it = next;
    }
}

bool FileRemove(const char* path) {
    bool taken;
    FileDelete(path, false, &taken);
    return taken;
}

bool FileDelete(const char* path, bool, bool* taken) {
    auto it = gFakeDrive.files.find(path);
    bool again = it != gFakeDrive.files.end()
                     ? it->second.pending
                     : std::count(gFakeDrive.deleted.begin(), gFakeDrive.deleted.end(), path) != 0;
    if (!again) {
        gFakeDrive.deleted.push_back(path);
    }
    bool refused = !gFakeDrive.present || gFakeDrive.refusesDeletion ||
                   (it != gFakeDrive.files.end() && it->second.undeletable);
    if (taken != nullptr) {
        *taken = !refused;
    }
    if (refused) {
        return false; // a drive that cannot be asked keeps its files
    }
    if (it == gFakeDrive.files.end()) {
        return true;
    }
    if (Held(it->second)) {
        it->second.pending = true; // listed until the scanner lets go
        return false;
    }
    Erase(it);
    return true;
}

bool FolderMake(const char* path) {
    std::string folder = path, name = folder.substr(0, folder.size() - 1);
    FakeFolder& parent = gFakeDrive.folders[ParentOf(folder)];
    auto noRoom = [] { return !Ntfs() && gFakeDrive.freeSectors < std::max(gFakeDrive.folderSectors, 1ull); };
    DWORD error = !gFakeDrive.present                ? ERROR_PATH_NOT_FOUND
                  : gFakeDrive.folders.count(folder) ? ERROR_ALREADY_EXISTS
                  : noRoom() || (Ntfs() && (gFakeDrive.freeRecords == 0 || IndexFull(parent)))
                      ? ERROR_DISK_FULL
                      : 0;
    size_t at = 0, set = 0;
    error = error != 0 ? error : TakeName(parent, name.substr(name.rfind('\\') + 1), &at, &set);
    if (error == 0 && noRoom()) { // the parent grew into the space the folder needs
        FreeSet(ParentOf(folder), at, set);
        error = ERROR_DISK_FULL;
    }
    if (error != 0) {
        SetLastError(error);
        return false;
    }
    unsigned long long sectors = Ntfs() ? 0 : gFakeDrive.folderSectors;
    gFakeDrive.freeSectors -= sectors;
    if (Ntfs()) {
        TakeRecord(parent);
    }
    FakeFolder& made = gFakeDrive.folders[folder];
    made.ntfsRoom = gFakeDrive.newFolderRoom;
    made.sectors = sectors;
    made.oldSectors = sectors - std::min(sectors, gFakeDrive.zeroSectors);
    gFakeDrive.zeroSectors -= sectors - made.oldSectors;
    gFakeDrive.givenBack -= std::min(gFakeDrive.givenBack, sectors - made.oldSectors); // written once
    made.firstEntry = at, made.setSize = set;
    // A cluster of entries of its own (exFAT), or room for as many names.
    made.entries.assign(set != 0 ? gFakeDrive.clusterSectors * 512 / 32 : 0, '.');
    made.freeEntries = set != 0 ? 0 : gFakeDrive.clusterSectors * 512 / 32;
    return true;
}

bool FolderDelete(const char* path) {
    std::string folder = path;
    auto inside = [&](const std::string& other) {
        return other.size() > folder.size() && other.rfind(folder, 0) == 0;
    };
    auto sub = gFakeDrive.folders.upper_bound(folder);
    auto file = gFakeDrive.files.lower_bound(folder);
    if (!gFakeDrive.present || gFakeDrive.refusesDeletion ||
        (sub != gFakeDrive.folders.end() && inside(sub->first)) ||
        (file != gFakeDrive.files.end() && inside(file->first))) {
        return false;
    }
    auto it = gFakeDrive.folders.find(folder);
    if (it != gFakeDrive.folders.end()) {
        gFakeDrive.freeSectors += it->second.sectors, gFakeDrive.oldSectors += it->second.oldSectors;
        FreeSet(ParentOf(folder), it->second.firstEntry, it->second.setSize);
    }
    if (gFakeDrive.folders.erase(folder) != 0) {
        GiveRecord(gFakeDrive.folders[ParentOf(folder)]);
    }
    return true;
}

int FileTruncate(HANDLE handle, long long size) {
    FakeFile* file = FileOf(handle);
    unsigned long long sectors = static_cast<unsigned long long>(size) / 512;
    if (file == nullptr || !file->open || sectors > file->sectors) {
        return -1;
    }
    gFakeDrive.freeSectors += file->sectors - sectors;
    gFakeDrive.zeroSectors += file->sectors - sectors; // a fill file's zeros
    gFakeDrive.givenBack += file->sectors - sectors;
    file->sectors = sectors;
    return 0;
}

bool FileMove(const char* path, const char* newPath) {
    std::string to = newPath, folder = to.substr(0, to.rfind('\\') + 1);
    auto it = gFakeDrive.files.find(path);
    auto target = gFakeDrive.folders.find(folder);
    DWORD error = !gFakeDrive.present || it == gFakeDrive.files.end() || target == gFakeDrive.folders.end()
                      ? ERROR_PATH_NOT_FOUND
                  : gFakeDrive.files.count(to) != 0 ? ERROR_ALREADY_EXISTS
                                                    : 0;
    size_t at = 0, set = 0;
    error = error != 0 ? error : TakeName(target->second, to.substr(folder.size()), &at, &set);
    if (error != 0) {
        SetLastError(error);
        return false;
    }
    FakeFile file = it->second;
    std::string from = path;
    from.resize(from.rfind('\\') + 1);
    gFakeDrive.folders[from].freeEntries += Ntfs() ? 0 : 1;
    FreeSet(from, file.firstEntry, file.setSize);
    file.firstEntry = at, file.setSize = set;
    gFakeDrive.files.erase(it);
    gFakeDrive.files[to] = file;
    return true;
}
