// The file layer against real files: the open modes, whole elements,
// closing, deleting, and (when a full drive is given) a write on a full drive.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "engine/file_access.h"
#include "test_support.h"

namespace {

DWORD WINAPI CloseLater(void* handle) {
    Sleep(300);
    CloseHandle(handle);
    return 0;
}

// The modes the engine uses, against real files: "wb" empties a file it
// reuses, "r" needs one; a file held open without leave to delete stays,
// and that is told.
TEST(FileAccess, ModesDeletionAndElements) {
    std::string path = MakeScratchFolder("modes") + "a";
    // clang-format off
    const struct { const char* mode; bool opens; const char *write, *after; DWORD error = 0; } rows[] = {
        {"r", false, "", "<missing>"}, {"xyz", false, "", "<missing>"}, // no valid disposition
        {"wb", true, "0123456789", "0123456789"}, {"wb", true, "new", "new"}, {"a", true, "ab", "newab"},
        {"r+", true, "N", "Newab"}, // the flush of an earlier fill file must keep its zeros
        // A new file only: an existing one is neither opened nor emptied, and
        // the answer says so (the names step then takes the next name).
        {"wbx", false, "", "Newab", ERROR_FILE_EXISTS},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        HANDLE file = FileOpen(path.c_str(), row.mode);
        ASSERT_EQ(file != nullptr, row.opens);
        if (row.error != 0) {
            EXPECT_EQ(GetLastError(), row.error);
        }
        if (file != nullptr) {
            size_t length = strlen(row.write);
            EXPECT_EQ(FileWrite(row.write, 1, static_cast<unsigned>(length), file), length);
            EXPECT_EQ(FileClose(file), 0);
        }
        EXPECT_EQ(ReadWholeFile(path), row.after);
    }
    // Whole elements: 5 bytes are no element of 512, 1 of 3; 2 bytes are left.
    HANDLE file = FileOpen(path.c_str(), "r");
    char buffer[512];
    EXPECT_EQ(FileRead(buffer, 3, 2, file), 1u);
    EXPECT_EQ(FileRead(buffer, 512, 1, file), 0u);
    EXPECT_EQ(FileClose(file), 0);
    EXPECT_EQ(FileClose(file), -1) << "closed twice";
    EXPECT_EQ(FileFlush(file), -1);
    HANDLE alone = FileOpenAlone(path.c_str());
    DWORD start = GetTickCount();
    EXPECT_EQ(FileOpenAlone(path.c_str()), nullptr) << "opened alone";
    EXPECT_LT(GetTickCount() - start, 1000u) << "the test for another's handle does not wait";
    EXPECT_FALSE(FileDelete(path.c_str())) << "held open: it stays";
    // A handle that lets go within the wait, as a scanner's does: the open is
    // tried again until it can be had.
    HANDLE closer = CreateThread(nullptr, 0, CloseLater, alone, 0, nullptr);
    file = FileOpen(path.c_str(), "r");
    EXPECT_NE(file, nullptr) << "a sharing violation of 300 ms waited out";
    FileClose(file);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    // A scanner's handle shares everything: the deletion is taken, and the
    // file stays listed until the handle lets go ("delete pending").
    HANDLE scanner =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    bool taken = false;
    EXPECT_FALSE(FileDelete(path.c_str(), false, &taken));
    EXPECT_TRUE(taken && FileExists(path.c_str())) << "taken, and listed while held";
    CloseHandle(scanner);
    EXPECT_FALSE(FileExists(path.c_str()));
    EXPECT_TRUE(FileDelete(path.c_str())) << "a missing file is gone too";
    path.pop_back();
    EXPECT_TRUE(FileExists(path.c_str())) << "folders count too";
    EXPECT_FALSE(FileDelete("P:\\gone\\_16I.AAA")) << "a drive that is gone proves nothing";

    // Names in any script, in a path longer than MAX_PATH: found by their real
    // names, written and deleted. (Wine takes such a path without the "\\?\"
    // form too; Windows does not.)
    std::string deep = path.substr(0, path.size() - 1);
    std::vector<std::string> made; // as the engine names its own folders: a backslash after them
    for (const char* folder : {"\xd0\xb6\xd0\xb6", "\xe6\x97\xa5\xe6\x9c\xac", "\xf0\x9f\x93\xb7"}) {
        for (int i = 0; i < 3; ++i) {
            deep += std::string("\\") + std::string(60, 'd') + folder;
            made.push_back(deep + "\\");
            ASSERT_TRUE(FolderMake(made.back().c_str())) << deep;
        }
    }
    ASSERT_GT(deep.size(), 600u);
    file = FileOpen((deep + "\\\xd0\xb6.txt").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(FileWrite("x", 1, 1, file), 1u);
    FileClose(file);
    FoundFile found;
    HANDLE find = FileFindFirst((deep + "\\*.txt").c_str(), &found);
    ASSERT_NE(find, nullptr);
    EXPECT_STREQ(found.name, "\xd0\xb6.txt");
    FileFindClose(find);
    // A fill file cut short, then moved into a folder of the run's own: it
    // keeps what is left; a name taken there refuses the move.
    std::string cut = made[7] + "cut", there = made[8] + "cut";
    for (int i = 0; i < 2; ++i) {
        file = FileOpen(cut.c_str(), "wb");
        EXPECT_EQ(FileWrite("0123456789", 1, 10, file), 10u);
        EXPECT_EQ(FileTruncate(file, 4), 0);
        FileClose(file);
        EXPECT_EQ(FileMove(cut.c_str(), there.c_str()), i == 0);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    file = FileOpen(there.c_str(), "r");
    EXPECT_EQ(FileRead(buffer, 1, sizeof buffer, file), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    FileClose(file);
    EXPECT_TRUE(FileDelete(cut.c_str()) && FileDelete(there.c_str()));
    EXPECT_FALSE(FolderDelete(made.back().c_str())) << "a folder that holds a file stays";
    EXPECT_TRUE(FileDelete((deep + "\\\xd0\xb6.txt").c_str()));
    EXPECT_FALSE(FileExists((deep + "\\\xd0\xb6.txt").c_str()));
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        EXPECT_TRUE(FolderDelete(folder->c_str())) << *folder;
    }
    EXPECT_FALSE(FileExists(made[0].c_str()));
    RemoveDirectoryA(path.c_str());
}

// Run by an end-to-end scenario with TESSARINE_FULL_DRIVE naming a tiny drive.
TEST(FullDrive, WriteOnAFullDriveGivesZeroAndAShortWriteCountsWholeElements) {
    const char* drive = getenv("TESSARINE_FULL_DRIVE");
    if (drive == nullptr) {
        GTEST_SKIP() << "no full-drive letter given (the end-to-end scenarios give one)";
    }
    std::string path = std::string(drive) + "\\fill";
    HANDLE file = FileOpen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::vector<char> zeros(131072, 0);
    int writes = 0;
    while (FileWrite(zeros.data(), 512, 256, file) == 256 && writes < 100000) {
        ++writes;
    }
    // The last write may be short; after it, the drive is full.
    EXPECT_EQ(FileWrite(zeros.data(), 512, 256, file), 0u);
    EXPECT_GT(writes, 0);
    // Room for 4096 bytes again: a write of two 3000-byte elements gets one.
    ASSERT_EQ(FileSeek(file, FILE_BEGIN, FileSeekPos(file, FILE_END, 0) - 4096), 0);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(FileWrite(zeros.data(), 3000, 2, file), 1u);
    FileClose(file);
    EXPECT_TRUE(FileDelete(path.c_str()));
}

} // namespace
