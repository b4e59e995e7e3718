// Fill-file names: the process id in base 32, the form that tells an earlier
// run's files, padding. The odometer of the counter shows in the fill-loop
// rows (names taken, names running out).
#include <gtest/gtest.h>

#include <string>

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

// An earlier run's files are known by their form and size: a fill file in the
// root holds whole writes, a later step's file a padded name and at most the
// zeros of a record. Look-alike files of the user's are not.
TEST(FillNames, TheLeftoversOfAnEarlierRun) {
    const unsigned long long kWrite = 131072;
    const std::string padded255 = "_" + std::string(243, '0') + "16I.AAA";
    // clang-format off
    const struct { std::string name; unsigned long long size; bool root; Leftover kind; } rows[] = {
        {"_16I.AAA", kWrite, 1, kFillLeftover}, {"_0.AZZ", 3 * kWrite, 1, kFillLeftover},
        {"_3VVVVVV.ABC", kWrite, 1, kFillLeftover}, {"_16I.AAB", 4194303ull * 512, 1, kFillLeftover},
        {"_16I.AAA", kWrite, 0, kNotALeftover}, {"_16I.AAA", 0, 1, kNotALeftover}, {"_16I.AAA", kWrite + 100, 1, kNotALeftover},
        {"_16I.BAA", kWrite, 1, kNotALeftover},
        {"_16i.AAA", kWrite, 1, kNotALeftover}, {"_16I.aaa", kWrite, 1, kNotALeftover}, {"_12345678.AAA", kWrite, 1, kNotALeftover},
        {"_16I.AAAA", kWrite, 1, kNotALeftover}, {"_16IAAA", kWrite, 1, kNotALeftover}, {"_.AAA", kWrite, 1, kNotALeftover},
        {"16I.AAA", kWrite, 1, kNotALeftover}, {"_16W.AAA", kWrite, 1, kNotALeftover}, {"_16I.A1A", kWrite, 1, kNotALeftover},
        {"_016I.AAA", kWrite, 1, kNotALeftover},
        {"_000016I.AAA", 0, 0, kEntryLeftover}, {"_000016I.AAA", 600, 1, kEntryLeftover}, {padded255, 0, 0, kEntryLeftover},
        {"_000016I.AAA", 4096, 0, kNotALeftover}, {"_00016I.AAA", 0, 0, kNotALeftover},
        {"_OLD.TXT", 0, 1, kNotALeftover}, {"_BACKUP.DAT", kWrite, 1, kNotALeftover}, {"_1.BIN", 512, 0, kNotALeftover},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(LeftoverOf(row.name.c_str(), row.size, row.root), row.kind) << row.name << " " << row.size;
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
