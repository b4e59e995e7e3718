// The file layer against real files: the open modes, whole elements, seeks
// past 4 GiB - 1, closing, deleting, and (when a full drive is given) a
// write on a full drive.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "engine/file_access.h"
#include "test_support.h"

namespace {

TEST(FileAccess, OpenModes) {
    std::string path = MakeScratchFolder("modes") + "a";
    // Each row opens the file as the rows above left it, writes at the position given.
    // clang-format off
    const struct { const char* mode; bool opens; long long position; const char *write, *after; } rows[] = {
        {"r", false, 0, "", "<missing>"}, {"r+", false, 0, "", "<missing>"},
        {"rw", false, 0, "", "<missing>"}, {"xyz", false, 0, "", "<missing>"}, // no valid disposition
        {"wb", true, 0, "", ""}, {"w", true, 0, "0123456789", "0123456789"}, {"r+", true, 0, "AB", "AB23456789"},
        {"wb", true, 0, "new", "new"}, {"a", true, 3, "ab", "newab"}, {"w+", true, 0, "xy", "xy"},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        HANDLE file = FileOpen(path.c_str(), row.mode);
        ASSERT_EQ(file != nullptr, row.opens);
        if (file != nullptr) {
            EXPECT_EQ(FileTell(file), row.position);
            size_t length = strlen(row.write);
            EXPECT_EQ(FileWrite(row.write, 1, static_cast<unsigned>(length), file), length);
            EXPECT_EQ(FileClose(file), 0);
        }
        EXPECT_EQ(ReadWholeFile(path), row.after);
    }
    // Append moves the position only at opening.
    HANDLE file = FileOpen(path.c_str(), "a");
    EXPECT_EQ(FileSeek(file, FILE_BEGIN, 0), 0);
    EXPECT_EQ(FileWrite("X", 1, 1, file), 1u);
    EXPECT_EQ(FileClose(file), 0);
    EXPECT_EQ(FileClose(file), -1) << "closed twice";
    EXPECT_EQ(FileFlush(file), -1);
    EXPECT_EQ(ReadWholeFile(path), "Xy");
    EXPECT_TRUE(FileDelete(path.c_str()));
    path.pop_back();
    RemoveDirectoryA(path.c_str());
}

TEST(FileAccess, WholeElementsAndPositions) {
    std::string path = MakeScratchFolder("elements") + "a";
    HANDLE file = FileOpen(path.c_str(), "w+");
    ASSERT_NE(file, nullptr);
    std::vector<char> zeros(512 * 256, 0);
    EXPECT_EQ(FileWrite(zeros.data(), 512, 0, file), 0u);
    EXPECT_EQ(FileWrite(zeros.data(), 512, 256, file), 256u);
    EXPECT_EQ(FileWrite(zeros.data(), 1, 100, file), 100u);
    EXPECT_EQ(FileTell(file), 131172);
    // 100 bytes left: no whole element of 512, 3 of 30.
    EXPECT_EQ(FileSeek(file, FILE_BEGIN, 131072), 0);
    EXPECT_EQ(FileRead(zeros.data(), 512, 1, file), 0u);
    EXPECT_EQ(FileSeek(file, FILE_BEGIN, 131072), 0);
    EXPECT_EQ(FileRead(zeros.data(), 30, 10, file), 3u);
    // All 32 low bits set is a position, not an error.
    EXPECT_EQ(FileSeekPos(file, FILE_BEGIN, 0xFFFFFFFFll), 0xFFFFFFFFll);
    EXPECT_EQ(FileSeekPos(file, FILE_CURRENT, 1), 0x100000000ll);
    EXPECT_EQ(FileSeekPos(file, FILE_CURRENT, -0x100000000ll), 0);
    EXPECT_EQ(FileSeekPos(file, FILE_BEGIN, -1), -1);
    EXPECT_EQ(FileSeek(file, FILE_BEGIN, -1), -1);
    EXPECT_EQ(FileFlush(file), 0);
    FileClose(file);
    // Held open without leave to delete: the file stays, and that is told.
    EXPECT_TRUE(FileExists(path.c_str()));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(FileDelete(path.c_str()));
    CloseHandle(held);
    EXPECT_TRUE(FileDelete(path.c_str()));
    EXPECT_FALSE(FileExists(path.c_str()));
    EXPECT_TRUE(FileDelete(path.c_str())) << "a missing file is gone too";
    path.pop_back();
    EXPECT_TRUE(FileExists(path.c_str())) << "folders count too";
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
