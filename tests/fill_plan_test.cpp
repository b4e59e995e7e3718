// The arithmetic of the fill loop: request sizes near the file cap and at
// the end of the free space, the progress share, and the sample read back.
#include <gtest/gtest.h>

#include "engine/fill_plan.h"
#include "engine/read_back.h"

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

// The sample of a fill file: its first and last sector, and no 16 MiB of
// the whole fill without a block, in whole units of the alignment.
TEST(FillPlan, SampleReadBack) {
    const unsigned long long kCap = kFileCapSectors * 512ull;
    // clang-format off
    const struct { unsigned long long offset, bytes; unsigned align; } rows[] = {
        {0, 1000, 4096}, {0, 3 * 131072 + 512, 4096}, {5 << 20, 20 << 20, 4096}, {0, kCap, 4096},
        {3 * kCap, kCap, 65536}, {kCap, 2048, 131072},
    };
    // clang-format on
    for (const auto& row : rows) {
        for (unsigned seed = 0; seed < 20; ++seed) {
            SCOPED_TRACE(testing::Message() << row.offset << " " << row.bytes << " seed " << seed);
            unsigned long long starts[kMaxCheckBlocks];
            unsigned count = PlanCheckBlocks(row.offset, row.bytes, seed, row.align, starts);
            ASSERT_GE(count, 1u);
            EXPECT_EQ(starts[0], 0u);
            EXPECT_GE(starts[count - 1] + kCheckBlockBytes, row.bytes) << "the last sector";
            for (unsigned i = 0; i < count; ++i) {
                EXPECT_EQ(starts[i] % row.align, 0u);
                EXPECT_TRUE(i == 0 || (starts[i] > starts[i - 1] && starts[i] - starts[i - 1] <= 16u << 20));
            }
        }
    }
}

} // namespace
