// The arithmetic of the fill loop: request sizes near the file cap and at
// the end of the free space, and the progress share.
#include <gtest/gtest.h>

#include "engine/fill_plan.h"

namespace {

TEST(FillPlan, RequestSizes) {
    // clang-format off
    const struct { const char* name; long long remaining; unsigned inFile, asked; } rows[] = {
        {"exactly one chunk left", 256, 0, 256},
        {"short last request", 31, 0, 31},
        {"short last request ignores the cap", 200, kFileCapSectors - 10, 200},
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
        {"rounded toward zero", 2847, 2847 - 256, 8}, {"almost done", 1000, 1, 99},
        {"nothing free at all", 0, 0, 100}, {"the drive freed space meanwhile", 1000, 1500, 0},
        {"huge drive: no overflow", 1ULL << 40, (1LL << 40) / 4, 75},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(ProgressPercent(row.total, row.remaining), row.percent) << row.name;
    }
}

} // namespace
