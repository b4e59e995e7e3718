// Fill-file names: the process id in base 32, the form that tells an earlier
// run's files, padding. The odometer of the counter shows in the fill-loop
// rows (names taken, names running out).
#include <gtest/gtest.h>

#include "engine/fill_files.h"

namespace {

TEST(FillNames, ProcessIdInBase32) {
    // clang-format off
    const struct { unsigned long id; const char* digits; } rows[] = {
        {0, "0"}, {31, "V"}, {32, "10"}, {4294967295ul, "3VVVVVV"}};
    // clang-format on
    for (const auto& row : rows) {
        char out[16];
        FormatProcessIdBase32(row.id, out);
        EXPECT_STREQ(out, row.digits);
    }
}

// An earlier run's fill files are known by this form alone.
TEST(FillNames, TheFillFileForm) {
    // clang-format off
    const struct { const char* name; bool fill; } rows[] = {
        {"_16I.AAA", 1}, {"_0.ZZZ", 1}, {"_3VVVVVV.ABC", 1}, {"_16i.AAA", 0}, {"_16I.aaa", 0},
        {"_12345678.AAA", 0}, {"_16I.AAAA", 0}, {"_16IAAA", 0}, {"_.AAA", 0}, {"16I.AAA", 0}, {"_16W.AAA", 0},
        {"_16I.AA", 0}, {"_16I.A1A", 0}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(IsFillFileName(row.name), row.fill) << row.name;
    }
}

// A name padded to a length keeps its form but for the zeros before the id.
TEST(FillNames, PaddedNames) {
    char out[64];
    PadTempName("_16I.AAA", 12, out);
    EXPECT_STREQ(out, "_000016I.AAA");
    PadTempName("_16I.AAA", 5, out);
    EXPECT_STREQ(out, "_16I.AAA");
}

} // namespace
