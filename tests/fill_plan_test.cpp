// The arithmetic of the fill loop: request sizes near the file cap and at
// the end of the free space, the progress share, the writing past the
// measured count, and which file systems keep small files in their table.
#include <gtest/gtest.h>

#include "engine/fill_plan.h"

namespace {

TEST(FillPlan, RequestSizes) {
    // clang-format off
    const struct { const char* name; long long remaining; unsigned inFile, asked; } rows[] = {
        {"a full chunk", 100000, 0, 256},
        {"exactly one chunk left", 256, 0, 256},
        {"short last request", 31, 0, 31},
        {"short last request ignores the cap", 200, kFileCapSectors - 10, 200},
        {"just below the cut point", 100000, kChunkCutPoint - 1, 256},
        {"at the cut point", 100000, kChunkCutPoint, 256},
        {"past the cut point", 100000, kChunkCutPoint + 1, 255},
        {"exactly a chunk left past the cut point: held to the cap", 256, kChunkCutPoint + 1, 255},
        {"one short of the cap", 100000, kFileCapSectors - 1, 1},
        {"nothing left", 0, 0, 0},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(SectorsToAsk(row.remaining, row.inFile), row.asked) << row.name;
    }
}

TEST(FillPlan, ProgressShare) {
    // clang-format off
    const struct { const char* name; unsigned long long total; long long remaining; unsigned percent; } rows[] = {
        {"start", 2847, 2847, 0},          {"rounded toward zero", 2847, 2847 - 256, 8},
        {"almost done", 1000, 1, 99},      {"done", 2847, 0, 100},
        {"nothing free at all", 0, 0, 100}, {"the drive freed space meanwhile", 1000, 1500, 0},
        {"8 GiB, half way", 16777216, 8388608, 50}, {"huge drive", 1ULL << 40, (1LL << 40) / 4, 75},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(ProgressPercent(row.total, row.remaining), row.percent) << row.name;
    }
}

// Past the measured count the fill writes on, by as much again, at least 8 MiB.
TEST(FillPlan, WritingPastTheMeasuredCount) {
    // clang-format off
    const struct { const char* name; long long remaining; unsigned long long written, total; long long left; } rows[] = {
        {"the measured count first", 1000, 0, 1000, 1000},
        {"then 8 MiB more on a small drive", 0, 1000, 1000, 16384},
        {"as much again on a large drive", 0, 100000, 100000, 100000},
        {"the limit reached", 0, 1000 + 16384, 1000, 0},
        {"a count grown past the limit is held to it", 50000, 10000, 1000, 16384 + 1000 - 10000},
        {"nothing free at the start", 0, 0, 0, 16384},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(SectorsLeft(row.remaining, row.written, WriteLimit(row.total)), row.left) << row.name;
    }
}

TEST(FillPlan, OnlyNtfsKeepsSmallFilesInItsFileTable) {
    for (const char* name : {"FAT", "FAT32", "exFAT", "UDF", "", "ntfs ", "NTFS-3G"}) {
        EXPECT_FALSE(KeepsSmallFilesInItsFileTable(name)) << name;
    }
    EXPECT_TRUE(KeepsSmallFilesInItsFileTable("NTFS"));
}

} // namespace
