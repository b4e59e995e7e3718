// Fill-file names: the process id in base 32, the odometer of the counter,
// names taken in the target folder, giving up.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "engine/fill_files.h"
#include "test_support.h"

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

// Each row: names made in the folder first, then what the calls give.
TEST(FillNames, CounterTakenNamesAndGivingUp) {
    char digits[16];
    FormatProcessIdBase32(GetCurrentProcessId(), digits);
    const std::string p = std::string("_") + digits + ".";
    std::string folder = MakeScratchFolder("names"), other = MakeScratchFolder("other");
    WriteWholeFile(other + p + "AAA", "names in other folders do not count");
    // clang-format off
    const struct {
        const char* name;
        std::vector<std::string> taken;               // files, or folders when ending in "/"
        std::vector<std::pair<int, const char*>> got; // (call, counter); null: no name
    } rows[] = {
        {"an odometer, last letter fastest", {}, {{1, "AAA"}, {2, "AAB"}, {26, "AAZ"}, {27, "ABA"}, {676, "AZZ"},
          {677, "BAA"}, {17576, "ZZZ"}, {17577, "AAA"}, {17578, "AAB"}}},
        {"a taken name advances the letter left of the one just changed; a folder counts too",
         {"AAA", "ABC/"}, {{1, "ABA"}, {2, "ABB"}, {3, "ACC"}}},
        {"gives up when the counter runs out twice in a call", {"AAA", "ABA", "BBA"}, {{1, nullptr}, {2, nullptr}}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ResetTempNames();
        for (const std::string& t : row.taken) {
            std::string path = folder + p + t.substr(0, 3);
            t.back() == '/' ? (void)CreateDirectoryA(path.c_str(), nullptr) : WriteWholeFile(path, "keep me");
        }
        int call = 0;
        for (const auto& expected : row.got) {
            const char* name = nullptr;
            while (call < expected.first) {
                name = NextTempName(folder.c_str()), ++call;
            }
            EXPECT_EQ(name == nullptr ? "<none>" : std::string(name),
                      expected.second == nullptr ? "<none>" : p + expected.second)
                << "call " << call;
        }
        for (const std::string& t : row.taken) {
            std::string path = folder + p + t.substr(0, 3);
            DeleteFileA(path.c_str()), RemoveDirectoryA(path.c_str());
        }
    }
    DeleteFileA((other + p + "AAA").c_str());
    RemoveDirectoryA(other.c_str());
    RemoveDirectoryA(folder.c_str());
    ResetTempNames();
}

} // namespace
