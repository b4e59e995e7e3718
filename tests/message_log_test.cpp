// Splitting and cleaning the texts that go into the message log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/path_text.h"
#include "ui/message_log.h"

namespace {

using L = std::vector<std::string>;

TEST(MessageLog, LinesDropNewlinesAndAreCutAt255) {
    // clang-format off
    const struct { const char* name; std::string text, line; } rows[] = {
        {"parts joined", "\none\ntwo\nthree", "onetwothree"}, {"carriage return stays", "a\r\nb", "a\rb"},
        {"exactly 255", std::string(255, 'x'), std::string(255, 'x')},
        {"longer is cut", std::string(300, 'y'), std::string(255, 'y')},
        {"newlines do not count", std::string(10, '\n') + std::string(260, 'z'), std::string(255, 'z')},
    };
    // clang-format on
    for (const auto& row : rows) {
        char line[kLogLineSize];
        size_t length = PrepareLogLine(row.text.c_str(), line);
        EXPECT_EQ(std::string(line), row.line) << row.name;
        EXPECT_EQ(length, row.line.size()) << row.name;
    }
}

TEST(MessageLog, TextsSplitAtNewlines) {
    // clang-format off
    const struct { const char* name; std::string text; L lines; } rows[] = {
        {"empty text adds nothing", "", L{}}, {"full stop before a newline is dropped", "word.\n", L{"word"}},
        {"full stop at the very end stays", "word.", L{"word."}}, {"digit before a newline stays", "ok 42\n", L{"ok 42"}},
        {"empty lines, none at the end", "\na\n\nb\n", L{"", "a", "", "b"}},
        {"carriage returns dropped, only one character", "one\r\nend.\r\n", L{"one", "end."}},
        {"high characters are no letters", "caf\xe9\n", L{"caf"}},
    };
    // clang-format on
    for (const auto& row : rows) {
        L lines;
        std::vector<char> line(row.text.size() + 1);
        for (const char* rest = row.text.c_str(); (rest = TakeLogTextLine(rest, line.data())) != nullptr;) {
            lines.push_back(line.data());
        }
        EXPECT_EQ(lines, row.lines) << row.name;
    }
}

// A path that a line has no room for keeps what the user needs to find the
// file: the drive and first folder, the last folder and the name.
TEST(MessageLog, PathsShortenedInTheMiddle) {
    const std::wstring deep =
        L"E:\\DCIM\\" + std::wstring(40, L'\x0436') + L"\\" + std::wstring(40, L'b') + L"\\old\\n.txt";
    const std::wstring longName = L"E:\\a\\" + std::wstring(100, L'n');
    const std::wstring longFirst = L"E:\\" + std::wstring(100, L'f') + L"\\x\\n.txt";
    // clang-format off
    const struct { const char* name; std::wstring path; size_t room; std::wstring shown; } rows[] = {
        {"fits", L"E:\\a\\b.txt", 12, L"E:\\a\\b.txt"},
        {"deep", deep, 30, L"E:\\DCIM\\...\\old\\n.txt"},
        {"a long name: its end", longName, 20, L"E:\\a\\..." + std::wstring(12, L'n')},
        {"a long first folder: its start", longFirst, 40, L"E:\\" + std::wstring(14, L'f') + L"...\\x\\n.txt"},
    };
    // clang-format on
    for (const auto& row : rows) {
        wchar_t out[kLogLineSize];
        EXPECT_EQ(ShortenPathForLog(row.path.c_str(), row.room, out), row.shown.size()) << row.name;
        EXPECT_EQ(std::wstring(out), row.shown) << row.name;
        EXPECT_LE(row.shown.size(), row.room) << row.name;
    }
    EXPECT_EQ(Utf16Length("a\xd0\xb6\xe6\x97\xa5\xf0\x9f\x93\xb7"), 5u)
        << "a, Cyrillic, CJK, an emoji of two units";
}

} // namespace
