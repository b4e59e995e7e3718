// The command line: tokens, and drive tokens and help switches against the
// drive types of real (Wine) drive letters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "frame/command_line.h"
#include "frame/run_state.h"
#include "test_support.h"

namespace {

using Strings = std::vector<std::string>;

std::string Numbered(int count) {
    std::string line;
    for (int i = 1; i <= count; ++i) {
        line += "t" + std::to_string(i) + " ";
    }
    return line;
}

TEST(CommandLine, Tokens) {
    // clang-format off
    const struct { const char* name; std::string line; Strings tokens; int max = kMaxTokens; } rows[] = {
        {"only spaces", "    ", {}}, {"repeated spaces as one", "  a:   b:  c ", {"a:", "b:", "c"}},
        {"tab belongs to the token", "a:\tb: c", {"a:\tb:", "c"}},
        // Far past 255 characters: positions must not wrap around, and the scan ends.
        {"a long token", std::string(300, 'x') + " y:", {std::string(300, 'x'), "y:"}},
        {"70000 spaces around", std::string(70000, ' ') + "e:" + std::string(70000, ' '), {"e:"}},
        {"no more than the table holds", Numbered(26), {"t1", "t2", "t3"}, 3},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<char> text(row.line.begin(), row.line.end());
        text.push_back('\0');
        char* table[kMaxTokens + 1] = {};
        Strings tokens(table, table + TokenizeArguments(text.data(), table, row.max));
        EXPECT_EQ(tokens, row.tokens);
    }
}

// Windows 95, 98 and ME are refused; XP, Vista and every later NT run.
TEST(CommandLine, SupportedSystems) {
    EXPECT_FALSE(IsSupportedSystem(4, VER_PLATFORM_WIN32_WINDOWS));
    for (unsigned long major : {5, 6, 10}) {
        EXPECT_TRUE(IsSupportedSystem(major, VER_PLATFORM_WIN32_NT)) << major;
    }
}

// The test prefix maps e: as a removable drive and f: as a fixed one.
TEST(CommandLine, ReadAgainstTheRealDriveTypes) {
    TESS_REQUIRE(GetDriveTypeA("e:") == DRIVE_REMOVABLE && GetDriveTypeA("f:") == DRIVE_FIXED,
                 "the test prefix's drives e: (removable) and f: (fixed) are not mapped");
    // clang-format off
    const struct { std::string line; const char* drive; int fromCommandLine, help; } rows[] = {
        {"", "a:", 0, 0}, {"E:", "E:", 1, 0}, {"f:", "", 0, 0}, {"f: e:", "e:", 1, 0}, {"q:", "", 0, 0},
        {"E:\\ E ::", "", 0, 0},
        {"/? e:", "e:", 1, 1}, {"-h", "a:", 0, 1}, {Numbered(24) + "e:", "e:", 1, 0},
        {Numbered(25) + "e:", "a:", 0, 0}}; // only the first 25 tokens count
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        lstrcpyA(gRunState.selectedDrive, "a:");
        gRunState.commandLineDrive = gRunState.helpSwitch = 0;
        std::vector<char> text(row.line.begin(), row.line.end());
        text.push_back('\0');
        ReadCommandLine(text.data());
        EXPECT_STREQ(gRunState.selectedDrive, row.drive);
        EXPECT_EQ(gRunState.commandLineDrive, row.fromCommandLine);
        EXPECT_EQ(gRunState.helpSwitch, row.help);
    }
}

} // namespace
