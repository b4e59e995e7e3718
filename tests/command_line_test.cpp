// The command line: tokens, drive tokens, help switches, the system check,
// and drive tokens against the drive types of real (Wine) drive letters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "frame/command_line.h"
#include "frame/run_state.h"
#include "test_support.h"

namespace {

std::vector<std::string> Tokens(const std::string& line, int maxTokens = kMaxTokens) {
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    std::vector<char*> table(maxTokens + 1);
    int count = TokenizeArguments(text.data(), table.data(), maxTokens);
    std::vector<std::string> result;
    for (int i = 0; i < count; ++i) {
        result.push_back(table[i]);
    }
    return result;
}

std::string Numbered(int count) {
    std::string line;
    for (int i = 1; i <= count; ++i) {
        line += "t" + std::to_string(i) + " ";
    }
    return line;
}

TEST(Tokenizer, SplitsAtSpacesOnly) {
    struct Row {
        const char* name;
        std::string line;
        std::vector<std::string> tokens;
    } rows[] = {
        {"empty", "", {}},
        {"only spaces", "    ", {}},
        {"one", "e:", {"e:"}},
        {"leading spaces skipped", "   e:", {"e:"}},
        {"repeated spaces as one", "a:   b:  c", {"a:", "b:", "c"}},
        {"trailing spaces", "a: ", {"a:"}},
        {"tab belongs to the token", "a:\tb: c", {"a:\tb:", "c"}},
        {"tab alone is a token", "\t", {"\t"}},
        {"drive with backslash kept whole", "A:\\ x", {"A:\\", "x"}},
        // Far past 255 characters: positions must not wrap around, and the scan ends.
        {"a long token", std::string(300, 'x') + " y:", {std::string(300, 'x'), "y:"}},
        {"70000 spaces around", std::string(70000, ' ') + "e:" + std::string(70000, ' '), {"e:"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Tokens(row.line), row.tokens);
    }
}

TEST(CommandLineWords, DriveTokensAndHelpSwitches) {
    struct Row {
        const char* token;
        bool drive;
        bool help;
    } rows[] = {
        {"e:", true, false},  {"E:", true, false}, {"::", true, false},    {"A:\\", false, false},
        {"A", false, false},  {":", false, false}, {"ab", false, false},   {"/?", false, true},
        {"-h", false, true},  {"/H", false, true}, {"-help", false, true}, {"h", false, false},
        {"/x", false, false}, {"?", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.token);
        EXPECT_EQ(IsDriveToken(row.token), row.drive);
        EXPECT_EQ(IsHelpSwitch(row.token), row.help);
    }
}

TEST(SystemCheck, AcceptsTheNtFamily) {
    struct Row {
        unsigned long major;
        unsigned long platform;
        bool accepted;
    } rows[] = {
        {4, VER_PLATFORM_WIN32_WINDOWS, false},  {4, VER_PLATFORM_WIN32_NT, true},
        {5, VER_PLATFORM_WIN32_WINDOWS, true},   {5, VER_PLATFORM_WIN32_NT, true},
        {6, VER_PLATFORM_WIN32_WINDOWS, true},   {6, VER_PLATFORM_WIN32_NT, true},
        {10, VER_PLATFORM_WIN32_WINDOWS, false}, {10, VER_PLATFORM_WIN32_NT, true},
        {3, VER_PLATFORM_WIN32s, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.major) + "/" + std::to_string(row.platform));
        EXPECT_EQ(IsSupportedSystem(row.major, row.platform), row.accepted);
    }
}

class ReadCommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gRunState.selectedDrive[0] = 'a';
        gRunState.selectedDrive[1] = ':';
        gRunState.selectedDrive[2] = '\0';
        gRunState.commandLineDrive = 0;
        gRunState.helpSwitch = 0;
    }
    void Read(std::string line) {
        std::vector<char> text(line.begin(), line.end());
        text.push_back('\0');
        ReadCommandLine(text.data());
    }
};

// The test prefix maps e: as a removable drive and f: as a fixed one.
TEST_F(ReadCommandLineTest, UsesTheRealDriveTypes) {
    TESS_REQUIRE(GetDriveTypeA("e:") == DRIVE_REMOVABLE && GetDriveTypeA("f:") == DRIVE_FIXED,
                 "the test prefix's drives e: (removable) and f: (fixed) are not mapped");
    struct Row {
        const char* line;
        const char* drive;
        int fromCommandLine;
        int help;
    } rows[] = {
        {"", "a:", 0, 0},       {"e:", "e:", 1, 0},    {"E:", "E:", 1, 0},    {"f:", "", 0, 0},
        {"e: f:", "e:", 1, 0},  {"f: e:", "e:", 1, 0}, {"e: e:", "e:", 1, 0}, {"q:", "", 0, 0},
        {"E:\\ E", "a:", 0, 0}, {"/? e:", "e:", 1, 1}, {"-h", "a:", 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        SetUp();
        Read(row.line);
        EXPECT_STREQ(gRunState.selectedDrive[0] == '\0' ? "" : gRunState.selectedDrive, row.drive);
        EXPECT_EQ(gRunState.commandLineDrive, row.fromCommandLine);
        EXPECT_EQ(gRunState.helpSwitch, row.help);
    }
}

TEST_F(ReadCommandLineTest, OnlyTheFirst25TokensCount) {
    TESS_REQUIRE(GetDriveTypeA("e:") == DRIVE_REMOVABLE,
                 "the test prefix's removable drive e: is not mapped");
    Read(Numbered(24) + "e:");
    EXPECT_EQ(gRunState.commandLineDrive, 1);
    SetUp();
    Read(Numbered(25) + "e:");
    EXPECT_EQ(gRunState.commandLineDrive, 0);
    EXPECT_STREQ(gRunState.selectedDrive, "a:");
}

} // namespace
